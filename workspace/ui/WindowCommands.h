#pragma once

#include "workspace/CommandState.h"
#include "workspace/ui/MainWindowCommands.h"
#include "workspace/ui/MainWindowControls.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <variant>

namespace jvz {

// The main window's command table: the command state, each command's handler, and the actions and icon
// buttons that show them. Every command, keys included, runs through run() and its busy check; apply() is the
// one place where actions are enabled.
class WindowCommands : public QObject, public MainWindowCommands {
    Q_OBJECT
public:
    // The window's activity choice and current local folder, read where the commands need them.
    WindowCommands(const MainWindowControls& ui, const uint8_t& activityAsked, const QString& currentLocalFolder);

    // Hands a command its handler: the command is then enabled whenever its state allows, and the handler never
    // runs while the window is busy.
    void wireCommand(Command command, std::function<void()> handler) override;
    // Runs the command's handler as its menu item or button would (nothing when disabled or busy).
    void run(Command command);
    CommandState& state() { return m_state; }
    // Switches a command's own state (the selection, the session) and applies it.
    void switchCommand(Command command, bool on) override;
    void switchCommands(std::initializer_list<Command> commands, bool on);
    // Applies the command state to every action: the one place where actions are enabled.
    void apply();

    void RefreshTransferCommands(bool enable) override;
    void DisableDownloadCommand();
    void DisableUploadCommand() override;
    void RefreshUploadCommand();
    void EnableTerminalInfoCommand() override;
    void DisableTerminalInfoCommand() override;
    bool DownloadEnabled() const override { return m_state.DownloadEnabled(); }
    // The session's FTP session, as the session reports it (state().setFtpSessionOpen).
    bool FtpSessionOpen() const override { return m_state.ftpSessionOpen(); }

    // A state the session reported: the command state follows it.
    using SessionStateReport = std::variant<ConnectionState, FtpSessionState>;
    void followSessionState(SessionStateReport state);

    // The icon bar's buttons: enabled state and pressed value; a click runs the button's command.
    void SetIconButton(IconButton button, bool enabled, bool pressed);
    void TLB_Icon_ButtonClick(IconButton button);

    // Busy: a command or nested wait runs (BusyScope); every command is refused meanwhile.
    bool isBusy() const override { return m_busyDepth > 0; }
    void setBusy(bool entering);
    // The lists and the tree accept drops as the command state allows.
    void applyDrops();

    uint8_t activityAsked() const override { return m_activityAsked; }
    const QString& currentLocalFolder() const override { return m_currentLocalFolder; }

signals:
    // The busy state changed.
    void busyChanged(bool busy);

private:
    const MainWindowControls& m_ui;
    const uint8_t& m_activityAsked;
    const QString& m_currentLocalFolder;
    CommandState m_state;
    std::array<std::function<void()>, kCommandCount> m_handlers;
    int m_busyDepth = 0;
};

// Marks the window busy while a nested wait runs (a transfer, a companion run): every command is refused and
// the window does not close until the last scope ends.
class BusyScope {
public:
    explicit BusyScope(WindowCommands& commands);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    WindowCommands& m_commands;
};

} // namespace jvz
