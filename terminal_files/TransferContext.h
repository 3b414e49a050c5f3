#pragma once

// What the terminal file transfers work on: the FTP session, the run's state and result, and the main
// window's status bar, trace box and copy progress window, reached through narrow interfaces so the
// transfers can run without a window (tests, benchmarks).

#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/RuntimeTimings.h"
#include "core/TerminalSession.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>

namespace jvz {

class FtpClient;
class Notifier;

// The copy progress window as a multi-file transfer drives it.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    // First file: fills the window, shows it modeless and paints it.
    virtual void init(const QString& fileName, const MBLanguages& language, const QString& from, const QString& to,
                      int totalFiles) = 0;
    virtual void NewFile(const QString& fileName) = 0;
    // After each file: the per-file animation runs, Running staying true until it ends.
    virtual void LaunchTimer() = 0;
    virtual bool Running() const = 0;
    virtual bool Canceled() const = 0;
    // End of the operation: the window goes.
    virtual void unload() = 0;
};

// The main window as the transfers report to it.
class TransferHost {
public:
    virtual ~TransferHost() = default;
    // Panel 4 of StatusBar2.
    virtual void setTransferStatus(const QString& text) = 0;
    // One line on top of the trace box.
    virtual void trace(const QString& line) = 0;
    // The FTP error report of the session (message unless in a batch run, text appended, code -10).
    virtual void ReportFtpError(uint32_t error, const QString& operation) = 0;
    // The copy progress window, created on first use; null when the run has no windows.
    virtual TransferProgress* progressWindow() = 0;
};

// Seconds since midnight, fraction included (the temporary put names are made of them).
using SecondsSinceMidnight = std::function<double()>;
double localSecondsSinceMidnight();

// The names the terminal's directories held, as one operation listed them (upper case), so that a put the
// Cancel may cut short never writes over an older file. A directory whose listing failed or left lines out
// is not complete: any name may stand in it.
struct TerminalNamesSeen {
    struct Directory {
        QSet<QString> names;
        bool complete = false;
    };
    QHash<QByteArray, Directory> directories; // by the client's current directory
};

// Everything one transfer operation reads and writes. The references are the program-wide state.
struct TransferContext {
    FtpClient& ftp;
    TransferHost& host;
    Notifier& notifier;
    const MBLanguages& language; // the main window's texts
    BatchRun& batch;             // gBatchMode, gShowProgress, gTerminalDir, gSerialLink and the result
    TerminalSession& session;    // swapTotalSize, swapUnchecked
    const TerminalIdentity& identity;
    const TerminalInfoFields& terminalInfo; // ProductCodeTerminal
    QString& currentTerminalDir;            // the main window's CurrentTerminalDir ("\SWAP\")
    QString tempFolder{};                   // fetched terminal files; empty: the per-user temp folder
    SecondsSinceMidnight clock = localSecondsSinceMidnight;
    int maxAnimationWaitMs = RuntimeTimings{}.copyAnimationWaitMs; // bound of the wait for the per-file animation
    TerminalNamesSeen namesSeen{};                                 // emptied by the first file of each operation

    QString label(const char* key) const { return language.GetFormLabel(QString::fromLatin1(key)); }
    bool showProgress() const { return batch.gShowProgress; }
    QString tempDir() const;
};

} // namespace jvz
