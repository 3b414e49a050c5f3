#pragma once

#include "session/SessionWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
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

// What the session reaches on the main window through other parts of the program.
struct MainSessionWindowParts {
    std::function<void(const QString&)> progressComment; // the progress window of the run
    std::function<QString()> phonebookPort;              // the port of the program's dial-up entry
};

// The main window's parts the adapter works on: its controls, trace box, texts and commands.
struct MainSessionWindowView {
    const MainWindowControls& controls;
    TraceBox& trace;
    const MBLanguages& language;
    MainWindowCommands& commands;
};

// The main window as the session runtime sees it, through the window's controls; the text boxes fall back to
// the settings they are filled from. What the terminal list and the catalogue filter are to do comes out as
// signals, which the assembly connects.
class MainSessionWindow : public QObject, public SessionWindow {
    Q_OBJECT
public:
    MainSessionWindow(MainSessionWindowView view, AppSettings& settings, BatchRun& batch, TerminalSession& session,
                      MainSessionWindowParts parts = {});
    ~MainSessionWindow() override;

    const MBLanguages& language() const override;
    void AddTrace(const QString& line) override;
    void SetLinkStatus(const QString& text) override;
    void ProgressComment(const QString& text) override;
    void SetIconButtonEnabled(IconBarButton button, bool enabled) override;
    void SetIconButtonPressed(IconBarButton button, bool pressed) override;
    void SetMenuEnabled(SessionMenu menu, bool enabled) override;
    void EnableTerminalInfoCommand() override;
    void DisableTerminalInfoCommand() override;
    void RefreshTransferCommands(bool enable) override;
    void DisableUploadCommand() override;
    void EnableBackFolder() override;
    void ClearTerminalList() override;
    void FtpEnumDirectory(const QString& directory) override;
    QString& CurrentTerminalDir() override;
    void HideStatusBar1() override;
    void SetStatusBar4(const QString& text) override;
    void ResetMousePointer() override;
    void ShowWarningMessage(const QString& text, int32_t flashingMs, int32_t displayingMs) override;
    void UnloadWarningMessage() override;
    QString TerminalAddressText() const override;
    QString LoginText() const override;
    QString PasswordText() const override;
    QString PhonebookPort() const override;
    uint8_t ActivityAsked() const override;
    void SeeProductCode(const QString& productCode) override;

signals:
    void terminalListCleared();                          // ListView2 empties
    void terminalDirectoryListed(const QString& folder); // ListView2 lists the FTP session's folder
    void productCodeSeen(const QString& code);           // the local catalogue filter of the product

private:
    static QString lineText(const QLineEdit* box, const QString& fallback);

    MainSessionWindowView m_view;
    AppSettings& m_settings;
    BatchRun& m_batch;
    TerminalSession& m_session;
    MainSessionWindowParts m_parts;
    QPointer<FrmWarningMsg> m_warning;
};

} // namespace jvz
