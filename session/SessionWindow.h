#pragma once

#include <QString>
#include <cstdint>

namespace jvz {

class MBLanguages;

// What the FTP session logs in with: the texts of TXT_IP, TXT_login and TXT_password.
struct FtpCredentials {
    QString address;
    QString login;
    QString password;
};

// What the session runtime reads and changes on the main window. The window implements it; tests record it.
// The commands' switches are not here: the session reports its states by signals (SessionRuntime), and the
// window switches its commands from them.
class SessionWindow {
public:
    virtual ~SessionWindow() = default;

    // The window's own texts: form keys from its section, then [General].
    virtual const MBLanguages& language() const = 0;

    // One line (it may hold CR LF) on top of the trace box.
    virtual void AddTrace(const QString& line) = 0;
    // Panel 4 of StatusBar2: the state of the link.
    virtual void SetLinkStatus(const QString& text) = 0;
    // A line for the progress window; called only while the run shows it.
    virtual void ProgressComment(const QString& text) = 0;

    // The terminal-side folder the list shows ("\SWAP\"); the FTP session sets it when it opens.
    virtual QString& CurrentTerminalDir() = 0;

    virtual void HideStatusBar1() = 0;
    virtual void SetStatusBar4(const QString& text) = 0;
    virtual void ResetMousePointer() = 0;

    // The warning window, shown without blocking; times in ms, 0 meaning no blinking and no closing by itself.
    virtual void ShowWarningMessage(const QString& text, int32_t flashingMs = 0, int32_t displayingMs = 0) = 0;
    virtual void UnloadWarningMessage() = 0;

    virtual FtpCredentials credentials() const = 0;
    // The port of the program's dial-up entry, for the FTP status texts.
    virtual QString PhonebookPort() const = 0;

    // The activity chosen in the Activity menu (wire code 1-3).
    virtual uint8_t ActivityAsked() const = 0;
};

} // namespace jvz
