#pragma once

#include "session/SessionWindow.h"

#include <QPointer>
#include <QString>
#include <functional>

class QLineEdit;

namespace jvz {

struct AppSettings;
struct BatchRun;
struct MainWindowControls;
struct TerminalSession;
class FrmWarningMsg;
class MBLanguages;
class MainWindowCommands;
class TraceBox;
class WindowStatusBars;

// What the session reaches on the main window through other parts of the program.
struct MainSessionWindowHooks {
    std::function<void(const QString&)> progressComment; // the progress window of the run
    std::function<QString()> phonebookPort;              // the port of the program's dial-up entry
};

// The main window's parts the adapter works on: its controls, status bars, trace box, texts and commands.
struct MainSessionWindowControls {
    const MainWindowControls& controls;
    WindowStatusBars& statusBars;
    TraceBox& trace;
    const MBLanguages& language;
    MainWindowCommands& commands;
};

// The main window as the session runtime sees it, through the window's controls; the text boxes fall back to
// the settings they are filled from.
class MainSessionWindow : public SessionWindow {
public:
    MainSessionWindow(MainSessionWindowControls view, AppSettings& settings, BatchRun& batch, TerminalSession& session,
                      MainSessionWindowHooks parts = {});
    ~MainSessionWindow() override;

    const MBLanguages& language() const override;
    void AddTrace(const QString& line) override;
    void SetLinkStatus(const QString& text) override;
    void ProgressComment(const QString& text) override;
    QString& CurrentTerminalDir() override;
    void HideStatusBar1() override;
    void SetStatusBar4(const QString& text) override;
    void ResetMousePointer() override;
    void ShowWarningMessage(const QString& text, int32_t flashingMs, int32_t displayingMs) override;
    void UnloadWarningMessage() override;
    FtpCredentials credentials() const override;
    QString PhonebookPort() const override;
    uint8_t ActivityAsked() const override;

private:
    static QString lineText(const QLineEdit* box, const QString& fallback);

    MainSessionWindowControls m_view;
    AppSettings& m_settings;
    BatchRun& m_batch;
    TerminalSession& m_session;
    MainSessionWindowHooks m_parts;
    QPointer<FrmWarningMsg> m_warning;
};

} // namespace jvz
