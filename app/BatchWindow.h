#pragma once

#include "core/MBLanguages.h"
#include "core/Startup.h"
#include "session/SessionWindow.h"
#include "terminal_files/TransferContext.h"

#include <QString>
#include <functional>

class QTimer;

namespace jvz {

struct AppSettings;
struct BatchRun;
class Notifier;
class RasFunctions;
class SessionRuntime;

// The part of the main window an unattended run without progress window uses, with no widget behind it: the
// texts, the boxes the session reads (address, login, password, entry), the activity, the terminal folder and
// the end-of-run timer. Panels have nothing to show and do nothing, and nothing follows the session's states;
// trace lines go to the "jvz.trace" log.
class BatchWindow : public StartupMainWindow, public SessionWindow, public TransferHost {
public:
    struct Hooks {
        std::function<void(bool modemSetupDone)> connect;
        std::function<void()> endProgram;
        std::function<QString()> phonebookPort;
    };

    BatchWindow(AppSettings& settings, BatchRun& batch, Notifier& notifier, RasFunctions& ras, Hooks hooks);
    ~BatchWindow() override;

    void setRuntime(SessionRuntime* runtime) { m_runtime = runtime; }
    MBLanguages& texts() { return m_language; }
    QString& terminalDir() { return m_currentTerminalDir; }
    QString entryName() const { return m_entryName; }

    // StartupMainWindow
    void init(const MBLanguages& language) override;
    void showWindow() override {}
    void TerminalConnect(bool modemSetupDone) override;
    void armTimer4(int intervalMs) override;

    // SessionWindow
    const MBLanguages& language() const override { return m_language; }
    void AddTrace(const QString& line) override;
    void SetLinkStatus(const QString&) override {}
    void ProgressComment(const QString&) override {}
    QString& CurrentTerminalDir() override { return m_currentTerminalDir; }
    void HideStatusBar1() override {}
    void SetStatusBar4(const QString&) override {}
    void ResetMousePointer() override {}
    void ShowWarningMessage(const QString& text, int32_t flashingMs, int32_t displayingMs) override;
    void UnloadWarningMessage() override {}
    FtpCredentials credentials() const override;
    QString PhonebookPort() const override;
    uint8_t ActivityAsked() const override { return m_activity; }

    // TransferHost
    void setTransferStatus(const QString&) override {}
    void trace(const QString& line) override { AddTrace(line); }
    void ReportFtpError(uint32_t error, const QString& operation) override;
    TransferProgress* progressWindow() override { return nullptr; }

private:
    void makeFolders();

    AppSettings& m_settings;
    BatchRun& m_batch;
    Notifier& m_notifier;
    RasFunctions& m_ras;
    Hooks m_hooks;
    MBLanguages m_language;
    SessionRuntime* m_runtime = nullptr;
    QString m_currentTerminalDir;
    QString m_entryName;
    uint8_t m_activity = 1;
    QTimer* m_timer4 = nullptr;
};

} // namespace jvz
