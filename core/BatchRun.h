#pragma once

#include "core/BatchErrorCode.h"

#include <QString>
#include <cstdint>

namespace jvz {

// Action of an unattended run on its catalogue list.
enum class BatchAction : int16_t {
    Download = 1, // "c"
    Delete = 2,   // "d"
    Upload = 3,   // "u"
};

// The unattended request of the command line, with the run's result. Filled once, before the settings are
// read; the batch actions may change gTerminalDir, a successful FTP login replaces the FTP credentials.
struct BatchRun : BatchErrorCode {
    bool gBatchMode = false; // no dialogs; failures go to the result; the action runs by itself after connecting
    BatchAction gBatchAction = BatchAction::Download;
    QString gBatchFile;        // catalogue list of the action, as given (a relative path is from the current folder)
    QString gResultFile;       // result file; empty means "ResBatch.txt" in the program folder
    uint8_t gActivity = 1;     // activity asked of the terminal: 1 download, 2 diagnostic, 3 maintenance
    QString gTerminalDir;      // terminal-side directory of the action, upper case; "SWAP" once an action is given
    QString gComPort;          // device name of the terminal's port ("ttyACM0"); empty when none was given
    bool gSerialLink = true;   // false: plain network link, no dial
    bool gShowProgress = true; // the progress window is shown during a batch run
    int stopSignal = 0;        // the signal that stopped the run (SIGTERM...); 0 while none came
};

} // namespace jvz
