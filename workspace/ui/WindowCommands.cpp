#include "WindowCommands.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QTreeView>

namespace jvz {

BusyScope::BusyScope(WindowCommands& commands) : m_commands(commands)
{
    m_commands.setBusy(true);
}

BusyScope::~BusyScope()
{
    m_commands.setBusy(false);
}

WindowCommands::WindowCommands(const MainWindowControls& ui, const uint8_t& activityAsked,
                               const QString& currentLocalFolder)
    : m_ui(ui), m_activityAsked(activityAsked), m_currentLocalFolder(currentLocalFolder)
{
    for (int i = 0; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        QAction* a = m_ui.action(command);
        // The icon bar's buttons run through TLB_Icon_ButtonClick.
        if (!a || command == Command::IconConnect || command == Command::IconDisconnect)
            continue;
        connect(a, &QAction::triggered, this, [this, command] { run(command); });
    }
    // A click toggles the connect and disconnect buttons: what they show stays the command state's.
    for (const IconButtonRow& b : kIconButtons)
        if (b.ownCommand)
            connect(m_ui.iconButton(b.button), &QAction::toggled, this,
                    [this, command = b.command](bool on) { m_state.setPressed(command, on); });
    connect(m_ui.tlbIcon, &QToolBar::actionTriggered, this, [this](QAction* a) {
        for (const IconButtonRow& b : kIconButtons)
            if (m_ui.iconButton(b.button) == a)
                TLB_Icon_ButtonClick(b.button);
    });
}

void WindowCommands::wireCommand(Command command, std::function<void()> handler)
{
    m_handlers[static_cast<int>(command)] = std::move(handler);
    m_state.setWired(command, static_cast<bool>(m_handlers[static_cast<int>(command)]));
    apply();
}

void WindowCommands::run(Command command)
{
    // A shown action's state is the command state applied, and what the user sees; a hidden action reads as
    // disabled, so the command state decides for it.
    const QAction* a = m_ui.action(command);
    const bool enabled = a && a->isVisible() ? a->isEnabled() : m_state.enabled(command);
    if (isBusy() || !enabled)
        return;
    if (const auto& handler = m_handlers[static_cast<int>(command)])
        handler();
}

void WindowCommands::switchCommand(Command command, bool on)
{
    m_state.setSwitched(command, on);
    apply();
}

void WindowCommands::switchCommands(std::initializer_list<Command> commands, bool on)
{
    for (Command c : commands)
        m_state.setSwitched(c, on);
    apply();
}

void WindowCommands::apply()
{
    m_state.setActivity(m_activityAsked);
    for (int i = 0; i < kCommandCount; ++i)
        if (QAction* a = m_ui.actions[i])
            a->setEnabled(m_state.enabled(static_cast<Command>(i)));
    // The icon bar's terminal commands follow their menu items; the connect and disconnect show pressed.
    for (const IconButtonRow& b : kIconButtons) {
        if (b.ownCommand)
            m_ui.iconButton(b.button)->setChecked(m_state.pressed(b.command));
        else
            m_ui.iconButton(b.button)->setEnabled(m_state.enabled(b.command));
    }
    m_ui.mnuCatalog->setEnabled(m_state.catalogueMenuEnabled());
}

void WindowCommands::setBusy(bool entering)
{
    const bool was = m_busyDepth > 0;
    m_busyDepth += entering ? 1 : -1;
    if (m_busyDepth < 0)
        m_busyDepth = 0;
    m_state.setBusy(m_busyDepth > 0);
    apply();
    if (was != (m_busyDepth > 0))
        emit busyChanged(m_busyDepth > 0);
}

void WindowCommands::RefreshTransferCommands(bool enable)
{
    m_state.setActivity(m_activityAsked);
    m_state.RefreshTransferCommands(enable);
    applyDrops();
    apply();
}

// Only these two switches change what the lists and the tree accept; focus changes leave it.
void WindowCommands::applyDrops()
{
    for (QTreeView* view : {m_ui.listView1, m_ui.listView2, m_ui.treeView1})
        view->setAcceptDrops(m_state.dropsAccepted());
}

void WindowCommands::DisableDownloadCommand()
{
    m_state.DisableDownloadCommand();
    apply();
}

void WindowCommands::DisableUploadCommand()
{
    m_state.DisableUploadCommand();
    apply();
}

void WindowCommands::RefreshUploadCommand()
{
    m_state.RefreshUploadCommand();
    if (m_state.ftpSessionOpen()) {
        m_ui.listView1->setAcceptDrops(true);
        m_ui.listView2->setAcceptDrops(true);
    }
    apply();
}

void WindowCommands::EnableTerminalInfoCommand()
{
    m_state.EnableTerminalInfoCommand();
    apply();
}

void WindowCommands::DisableTerminalInfoCommand()
{
    m_state.DisableTerminalInfoCommand();
    apply();
}

void WindowCommands::followSessionState(SessionStateReport state)
{
    m_state.setActivity(m_activityAsked);
    std::visit([this](auto s) { m_state.follow(s); }, state);
    // Closing the FTP session refreshes the transfer commands: the lists and the tree refuse drops again.
    if (state == SessionStateReport{FtpSessionState::Closed})
        applyDrops();
    apply();
}

void WindowCommands::TLB_Icon_ButtonClick(IconButton button)
{
    run(iconButtonRow(button).command);
}

void WindowCommands::SetIconButton(IconButton button, bool enabled, bool pressed)
{
    const IconButtonRow& b = iconButtonRow(button);
    if (b.ownCommand) {
        m_state.setSwitched(b.command, enabled);
        m_state.setPressed(b.command, pressed);
    } else {
        m_ui.iconButton(button)->setChecked(pressed);
    }
    apply();
}

} // namespace jvz
