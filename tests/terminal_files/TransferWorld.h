#pragma once

// The program-wide state a transfer runs on, with doubles for the main window, and helpers for lists
// and files in a scratch folder.

#include "FakeNotifier.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"
#include "terminal_files/TransferContext.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace jvztest {

// Every language key the transfers read.
const std::vector<const char*>& transferTextKeys();

// A language table in which each text the transfers read is its key in angle brackets ("<PutOK>").
jvz::MBLanguages bracketedTransferTexts();

// The progress window as a script: Running ends a few event-loop turns after LaunchTimer, and Cancel is
// pressed once the given number of files is done.
class ScriptedProgress : public jvz::TransferProgress {
public:
    void init(const QString& fileName, const jvz::MBLanguages&, const QString& from, const QString& to,
              int totalFiles) override;
    void NewFile(const QString& fileName) override;
    void LaunchTimer() override;
    bool Running() const override { return m_running; }
    bool Canceled() const override { return m_canceled; }
    void unload() override { ++unloads; }

    int cancelAfterFiles = -1;                // -1: never
    void pressCancel() { m_canceled = true; } // the Cancel button, at any moment
    // Runs from the event loop during the wait after each file (filesDone counts that file), as a socket event
    // would: the terminal may close the FTP session there.
    std::function<void(int filesDone)> duringWait;
    QStringList files; // names shown, in order
    QString from;
    QString to;
    int total = 0;
    int inits = 0;
    int unloads = 0;
    int filesDone = 0;

private:
    bool m_running = false;
    bool m_canceled = false;
};

// The main window's side: status bar, trace box (newest first) and the FTP error report, which appends
// "<operation> <error>: <server reply>" and CR LF to the result and sets -10, as the session's report does.
class RecordingTransferHost : public jvz::TransferHost {
public:
    explicit RecordingTransferHost(jvz::BatchRun& batch, jvz::FtpClient*& ftp) : m_batch(batch), m_ftp(ftp) {}

    void setTransferStatus(const QString& text) override { status = text; }
    void trace(const QString& line) override { traces.prepend(line); }
    void ReportFtpError(uint32_t error, const QString& operation) override;
    jvz::TransferProgress* progressWindow() override { return withProgress ? &progress : nullptr; }

    QString status;
    QStringList traces;
    struct Report {
        uint32_t error;
        QString operation;
        QByteArray response;
    };
    std::vector<Report> reports;
    ScriptedProgress progress;
    bool withProgress = true;

private:
    jvz::BatchRun& m_batch;
    jvz::FtpClient*& m_ftp;
};

// Everything a TransferContext refers to.
struct TransferWorld {
    TransferWorld();

    jvz::TransferContext context(jvz::FtpClient& client);

    jvz::FtpClient* ftp = nullptr;
    jvz::BatchRun batch;
    RecordingTransferHost host{batch, ftp};
    FakeNotifier notifier;
    jvz::MBLanguages language = bracketedTransferTexts();
    jvz::TerminalSession session;
    jvz::TerminalIdentity identity;
    jvz::TerminalInfoFields info;
    QString currentTerminalDir = QStringLiteral("\\SWAP\\");
    QString tempFolder;
    double seconds = 3512.0;
};

// A scratch folder ending in "/".
QString scratchFolder(const char* hint);
// Writes a file (folders created); fails the test when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Distinct content of the given size, different per seed.
QByteArray patternBytes(qsizetype size, int seed);

// The server's commands after the last PASS line (what the session sent once logged in).
QByteArrayList commandsAfterLogin(const QByteArrayList& commands);
bool anyCommandStartsWith(const QByteArrayList& commands, const QByteArray& prefix);

} // namespace jvztest
