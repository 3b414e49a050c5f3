#pragma once

#include "session/SessionWindow.h"

#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QLineEdit;

namespace jvz {

struct AppSettings;
struct BatchRun;
struct TerminalSession;
class FrmWarningMsg;
class frmMainJVZ;

// What the session reaches on the main window through other parts of the program.
struct MainSessionWindowParts {
    std::function<void(const QString&)> progressComment; // the progress window of the run
    std::function<QString()> phonebookPort;              // the port of the program's dial-up entry
    std::function<void(const QString&)> seeProductCode;  // the local catalogue filter
    std::function<void()> clearTerminalList;             // ListView2
    std::function<void(const QString&)> enumTerminalDirectory;
};

// The main window as the session runtime sees it, through the window's controls; the text boxes fall back to
// the settings they are filled from. The session's terminal list and product code reach the parts through
// the window, which connects them to the session's signals.
class MainSessionWindow : public SessionWindow {
public:
    MainSessionWindow(frmMainJVZ& window, AppSettings& settings, BatchRun& batch, TerminalSession& session,
                      MainSessionWindowParts parts = {});
    ~MainSessionWindow() override;

    // The terminal file list ListView2: emptied, or filled with the FTP session's current directory.
    void ClearTerminalList();
    void FtpEnumDirectory(const QString& directory);
    // Selects the local catalogue filter of the product.
    void SeeProductCode(const QString& productCode);

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

    frmMainJVZ& m_window;
    AppSettings& m_settings;
    BatchRun& m_batch;
    TerminalSession& m_session;
    MainSessionWindowParts m_parts;
    QPointer<FrmWarningMsg> m_warning;
};

} // namespace jvz
