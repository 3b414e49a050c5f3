#pragma once

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"

#include <QString>

namespace jvz {

class DialUpLink;
class FtpClient;

// The link to the terminal. The objects behind the handles are owned by the layers that create them;
// a null handle means "none".
struct LinkState {
    DialUpLink* ghRasConn = nullptr;   // the dial-up link while one is up
    FtpClient* ghInternet = nullptr;   // the FTP client of the program
    FtpClient* ghFtpSession = nullptr; // the client while a session with the terminal is open
    QString gModemPorts;               // ports usable for PPP, each followed by ","
};

// The program-wide language table.
struct UiState {
    MBLanguages gLanguage;
};

// Everything the program shares between its parts. A default-constructed state holds the start values of
// a run. Logic takes the part it needs by reference, so tests build their own.
struct AppState {
    AppSettings settings;
    BatchRun batch;
    TerminalSession session;
    TerminalIdentity identity;
    TerminalInfoFields terminalInfo; // what the terminal-information window shows; outlives the window
    LinkState link;
    UiState ui;
};

// The one state of the running program.
AppState& appState();

} // namespace jvz
