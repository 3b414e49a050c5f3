#pragma once

#include <QString>
#include <cstdint>

namespace jvz {

class MBLanguages;

// Commands of the main window that the session switches on and off.
enum class SessionMenu {
    TerminalConnect,         // MNU_Terminal_Connect
    TerminalDisconnect,      // MNU_Terminal_Disconnect
    TerminalApplicationList, // MNU_Terminal_Application_List
    TerminalConfig,          // MNU_Terminal_Config
};

// Buttons of the icon toolbar TLB_Icon that the session switches.
enum class IconBarButton : int {
    Connect = 1,
    Disconnect = 2,
};

// What the session runtime reads and changes on the main window. The window implements it; tests record it.
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

    virtual void SetIconButtonEnabled(IconBarButton button, bool enabled) = 0;
    // Shown pressed (value 1) or released (value 0).
    virtual void SetIconButtonPressed(IconBarButton button, bool pressed) = 0;
    virtual void SetMenuEnabled(SessionMenu menu, bool enabled) = 0;
    virtual void EnableTerminalInfoCommand() = 0;
    virtual void DisableTerminalInfoCommand() = 0;
    // Disables the download commands when enable is false or no FTP session is open, else enables them
    // from the selections.
    virtual void RefreshTransferCommands(bool enable) = 0;
    virtual void DisableUploadCommand() = 0;
    // The "BackFolder" button of the terminal list's toolbar Toolbar3.
    virtual void EnableBackFolder() = 0;

    // The terminal file list ListView2.
    virtual void ClearTerminalList() = 0;
    // Fills ListView2 with the FTP session's current directory.
    virtual void FtpEnumDirectory(const QString& directory) = 0;
    // The terminal-side folder the list shows ("\SWAP\"); the FTP session sets it when it opens.
    virtual QString& CurrentTerminalDir() = 0;

    virtual void HideStatusBar1() = 0;
    virtual void SetStatusBar4(const QString& text) = 0;
    virtual void ResetMousePointer() = 0;

    // The warning window, shown without blocking; times in ms, 0 meaning no blinking and no closing by itself.
    virtual void ShowWarningMessage(const QString& text, int32_t flashingMs = 0, int32_t displayingMs = 0) = 0;
    virtual void UnloadWarningMessage() = 0;

    // Texts of TXT_IP, TXT_login and TXT_password.
    virtual QString TerminalAddressText() const = 0;
    virtual QString LoginText() const = 0;
    virtual QString PasswordText() const = 0;
    // The port of the program's dial-up entry, for the FTP status texts.
    virtual QString PhonebookPort() const = 0;

    // The activity chosen in the Activity menu (wire code 1-3).
    virtual uint8_t ActivityAsked() const = 0;
    // Selects the local catalogue filter of the product; called outside batch runs only.
    virtual void SeeProductCode(const QString& productCode) = 0;
};

} // namespace jvz
