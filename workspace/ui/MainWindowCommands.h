#pragma once

#include "workspace/CommandState.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace jvz {

// What the main window's helpers (the session's adapter, the terminal pane) read of its state and ask of its
// commands. The window's command table (WindowCommands) implements it; the helpers never see the window itself.
class MainWindowCommands {
public:
    // Hands a command its handler: enabled whenever its state allows, never run while the window is busy.
    virtual void wireCommand(Command command, std::function<void()> handler) = 0;
    // Switches a command's own state and applies it.
    virtual void switchCommand(Command command, bool on) = 0;
    virtual void RefreshTransferCommands(bool enable) = 0;
    virtual void DisableUploadCommand() = 0;
    virtual void EnableTerminalInfoCommand() = 0;
    virtual void DisableTerminalInfoCommand() = 0;

    virtual bool FtpSessionOpen() const = 0;
    virtual bool DownloadEnabled() const = 0;
    virtual bool isBusy() const = 0;
    // The Activity menu's choice: 1 download, 2 diagnostic, 3 maintenance.
    virtual uint8_t activityAsked() const = 0;
    // The local folder ListView1 shows; empty on "My Computer".
    virtual const QString& currentLocalFolder() const = 0;

protected:
    ~MainWindowCommands() = default;
};

} // namespace jvz
