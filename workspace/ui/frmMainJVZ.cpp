#include "frmMainJVZ.h"

#include "FileOpenCommands.h"
#include "MainSessionWindow.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/Notifier.h"
#include "session/SessionRuntime.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <optional>

namespace jvz {

BusyScope::BusyScope(frmMainJVZ& window) : m_window(window)
{
    m_window.setBusy(true);
}

BusyScope::~BusyScope()
{
    m_window.setBusy(false);
}

frmMainJVZ::frmMainJVZ(AppSettings& settings, BatchRun& batch, Notifier& notifier, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_batch(batch), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmMainJVZ"));
    setWindowTitle(QStringLiteral("Pendraxa"));
    m_ui.build(*this);
    connectCommands();

    // Armed only by the quit procedure; it has no interval of its own.
    m_timer4 = new QTimer(this);
    m_timer4->setObjectName(QStringLiteral("Timer4"));
    m_timer4->setSingleShot(true);
    connect(m_timer4, &QTimer::timeout, this, &frmMainJVZ::Timer4_Timer);
    applyCommandState();
}

frmMainJVZ::~frmMainJVZ() = default;

QString frmMainJVZ::label(const char* key) const
{
    return m_language.GetFormLabel(QLatin1String(key));
}

// ---------------------------------------------------------------------------------------------- commands

void frmMainJVZ::connectCommands()
{
    for (int i = 0; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        QAction* a = m_ui.action(command);
        // The icon bar's buttons run through TLB_Icon_ButtonClick, by index.
        if (!a || command == Command::IconConnect || command == Command::IconDisconnect)
            continue;
        connect(a, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
    connect(m_ui.tlbIcon, &QToolBar::actionTriggered, this,
            [this](QAction* a) { TLB_Icon_ButtonClick(static_cast<int>(m_ui.tlbIcon->actions().indexOf(a)) + 1); });

    wireCommand(Command::Connect, [this] { TerminalConnect(false); });
    wireCommand(Command::IconConnect, [this] {
        TerminalConnect(false);
        // Whatever the sequence gave, the exchange directory's bookkeeping starts again.
        if (m_terminalSession) {
            m_terminalSession->swapTotalSize = 0;
            m_terminalSession->swapUnchecked = true;
        }
    });
    wireCommand(Command::Disconnect, [this] { MNU_Terminal_Disconnect_Click(); });
    wireCommand(Command::IconDisconnect, [this] { MNU_Terminal_Disconnect_Click(); });
    wireCommand(Command::Quit, [this] { close(); });
    wireCommand(Command::ActivityDownload, [this] { selectActivity(1); });
    wireCommand(Command::ActivityDiagnostic, [this] { selectActivity(2); });
    wireCommand(Command::ActivityMaintenance, [this] { selectActivity(3); });
    wireCommand(Command::ViewConnectBar, [this] {
        m_ui.tlbConnect->setVisible(m_ui.action(Command::ViewConnectBar)->isChecked());
        ArrangeBars();
    });
    wireCommand(Command::ViewIconBar, [this] {
        m_ui.tlbIcon->setVisible(m_ui.action(Command::ViewIconBar)->isChecked());
        ArrangeBars();
    });
    wireCommand(Command::ViewTrace,
                [this] { m_ui.txtTrace->setVisible(m_ui.action(Command::ViewTrace)->isChecked()); });
}

void frmMainJVZ::wireCommand(Command command, std::function<void()> handler)
{
    m_handlers[static_cast<int>(command)] = std::move(handler);
    m_commands.setWired(command, static_cast<bool>(m_handlers[static_cast<int>(command)]));
    applyCommandState();
}

void frmMainJVZ::runCommand(Command command)
{
    // The action's state is the command state applied; it is what the user sees.
    const QAction* a = m_ui.action(command);
    if (isBusy() || (a && !a->isEnabled()))
        return;
    if (const auto& handler = m_handlers[static_cast<int>(command)])
        handler();
}

void frmMainJVZ::switchCommand(Command command, bool on)
{
    m_commands.setSwitched(command, on);
    applyCommandState();
}

void frmMainJVZ::applyCommandState()
{
    m_commands.setFtpSessionOpen(FtpSessionOpen());
    m_commands.setActivity(ActivityAsked);
    for (int i = 0; i < kCommandCount; ++i)
        if (QAction* a = m_ui.actions[i])
            a->setEnabled(m_commands.enabled(static_cast<Command>(i)));
    // The icon bar's terminal commands follow their menu items.
    const struct {
        int index;
        Command command;
    } buttons[] = {{4, Command::Download}, {5, Command::Upload}, {7, Command::TerminalInfo}};
    for (const auto& b : buttons)
        if (QAction* a = IconButton(b.index))
            a->setEnabled(m_commands.enabled(b.command));
}

void frmMainJVZ::setBusy(bool entering)
{
    m_busyDepth += entering ? 1 : -1;
    if (m_busyDepth < 0)
        m_busyDepth = 0;
    m_commands.setBusy(m_busyDepth > 0);
    applyCommandState();
}

void frmMainJVZ::RefreshTransferCommands(bool enable)
{
    m_commands.setFtpSessionOpen(FtpSessionOpen());
    m_commands.setActivity(ActivityAsked);
    m_commands.RefreshTransferCommands(enable);
    applyCommandState();
}

void frmMainJVZ::DisableDownloadCommand()
{
    m_commands.DisableDownloadCommand();
    applyCommandState();
}

void frmMainJVZ::DisableUploadCommand()
{
    m_commands.DisableUploadCommand();
    applyCommandState();
}

void frmMainJVZ::RefreshUploadCommand()
{
    m_commands.setFtpSessionOpen(FtpSessionOpen());
    m_commands.RefreshUploadCommand();
    applyCommandState();
}

void frmMainJVZ::EnableTerminalInfoCommand()
{
    m_commands.EnableTerminalInfoCommand();
    applyCommandState();
}

void frmMainJVZ::DisableTerminalInfoCommand()
{
    m_commands.DisableTerminalInfoCommand();
    applyCommandState();
}

// The network panel belonged to one old platform version only; there is none here.
void frmMainJVZ::CheckNetworkMenu()
{
    m_commands.setSwitched(Command::ConnectionNetwork, false);
    m_ui.action(Command::ConnectionNetwork)->setVisible(false);
    applyCommandState();
}

void frmMainJVZ::TLB_Icon_ButtonClick(int index)
{
    switch (index) {
    case 1:
        runCommand(Command::IconConnect);
        return;
    case 2:
        runCommand(Command::IconDisconnect);
        return;
    case 4:
        runCommand(Command::Download);
        return;
    case 5:
        runCommand(Command::Upload);
        return;
    case 7:
        runCommand(Command::TerminalInfo);
        return;
    default:
        return;
    }
}

void frmMainJVZ::TLB_Connect_ButtonClick()
{
    setCursor(Qt::PointingHandCursor);
}

// ---------------------------------------------------------------------------------------------- session

SessionRuntime& frmMainJVZ::createSession(SessionRuntimeState state, SessionServices services,
                                          MainSessionWindowParts parts, const RuntimeTimings& timings)
{
    m_terminalSession = &state.session;
    if (!parts.seeProductCode)
        parts.seeProductCode = [this](const QString& code) { SeeProductCode(code); };
    if (!parts.enableTransferCommands)
        parts.enableTransferCommands = [this] { RefreshTransferCommands(true); };
    m_session.reset();
    m_sessionWindow = std::make_unique<MainSessionWindow>(*this, m_settings, m_batch, std::move(parts));
    m_session = std::make_unique<SessionRuntime>(*m_sessionWindow, state, std::move(services), timings);
    m_sessionWindow->setRuntime(m_session.get());
    return *m_session;
}

SessionWindow* frmMainJVZ::sessionWindow() const
{
    return m_sessionWindow.get();
}

bool frmMainJVZ::FtpSessionOpen() const
{
    return m_session && m_session->vars.FtpSessionOpen;
}

void frmMainJVZ::MNU_Terminal_Disconnect_Click()
{
    if (m_session)
        m_session->MNU_Terminal_Disconnect_Click();
}

// ---------------------------------------------------------------------------------------------- start-up

void frmMainJVZ::Form_Load()
{
    m_loaded = true;
    IconButton(2)->setChecked(true); // not connected: disconnect shown pressed
    RefreshTransferCommands(false);
    CheckNetworkMenu();
    switchCommand(Command::ApplicationList, false);
    DisableTerminalInfoCommand();
    m_ui.action(Command::ViewConnectBar)->setVisible(m_settings.gX07);
    if (QAction* back = m_ui.action(Command::TerminalBackFolder))
        back->setVisible(m_settings.gX07);
    // Without Debug the trace box can never be shown, but lines are still written to it.
    m_ui.action(Command::ViewTrace)->setChecked(false);
    m_ui.txtTrace->hide();
    m_ui.action(Command::ViewTrace)->setVisible(m_settings.gDebug);
    m_ui.mnuV1->setVisible(m_settings.gDebug);
    // The session takes the address and credentials from these boxes, in batch runs too.
    m_ui.txtLogin->setText(m_settings.gFtpUserName);
    m_ui.txtPassword->setText(m_settings.gFtpPassword);
    m_ui.txtPort->setText(m_settings.gIpPort);
    m_ui.txtIp->setText(m_settings.gIpLocalAddress);
    m_ui.txtIp->setEnabled(false);
}

void frmMainJVZ::init(const MBLanguages& language)
{
    if (!m_loaded)
        Form_Load(); // load runs when start-up first uses the window, right before init
    InitLanguage(language);
    if (m_settings.gConnectBar.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 && m_settings.gX07) {
        m_ui.action(Command::ViewConnectBar)->setChecked(true);
        m_ui.tlbConnect->show();
    } else {
        m_ui.tlbConnect->hide();
    }
    if (m_settings.gIconBar.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0) {
        m_ui.action(Command::ViewIconBar)->setChecked(false);
        m_ui.tlbIcon->hide();
    }
    FillDefaultConnectionCombo();
    selectActivity(m_batch.gActivity);
    m_ui.filter->setText(m_settings.gFilterField);
}

void frmMainJVZ::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    setWindowTitle(QStringLiteral("Pendraxa")); // other windows find this one by its title
    SetStatusPanel(4, label("TerminalState") + label("NoConnected"));
}

void frmMainJVZ::selectActivity(int activity)
{
    const int index = activity == 2 || activity == 3 ? activity : 1;
    const Command items[3] = {Command::ActivityDownload, Command::ActivityDiagnostic, Command::ActivityMaintenance};
    ActivityAsked = static_cast<uint8_t>(index);
    m_ui.action(items[index - 1])->setChecked(true);
    ShowActivityLabel();
}

void frmMainJVZ::ShowActivityLabel()
{
    static const char* const keys[3] = {"LBL_Activity_Download", "LBL_Activity_Diagnostic", "LBL_Activity_Maintenance"};
    QString text = label("LBL_Activity") + QStringLiteral(": ");
    if (ActivityAsked >= 1 && ActivityAsked <= 3)
        text += label(keys[ActivityAsked - 1]);
    SetStatusPanel(3, text);
}

void frmMainJVZ::ArrangeBars() {}

void frmMainJVZ::LoadCatalogFilters() {}

void frmMainJVZ::SeeProductCode(const QString& /*code*/) {}

void frmMainJVZ::FillDefaultConnectionCombo()
{
    if (m_fillConnectionList)
        m_fillConnectionList(*m_ui.comboDefaultConnection);
}

void frmMainJVZ::showWindow()
{
    show();
    raise();
    activateWindow();
}

// A window given no connect sequence sets up no link, and a batch run must end, not wait.
void frmMainJVZ::TerminalConnect(bool modemSetupDone)
{
    if (m_connect) {
        m_connect(modemSetupDone);
        return;
    }
    const QString text = QStringLiteral("no link could be set up: the connect sequence is not available");
    AddTrace(text);
    if (m_batch.gBatchMode) {
        m_batch.set(BatchCode::ConnectionSetup, text);
        return;
    }
    m_notifier.message(text, windowTitle(), MessageIcon::Exclamation, MessageButtons::Ok, this);
}

void frmMainJVZ::armTimer4(int intervalMs)
{
    m_timer4->start(intervalMs);
}

void frmMainJVZ::Timer4_Timer()
{
    m_timer4->stop();
    m_ending = true;
    if (m_hooks.unloadProgressWindow)
        m_hooks.unloadProgressWindow();
    close();
    if (m_hooks.endProgram)
        m_hooks.endProgram();
}

void frmMainJVZ::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    // The end of the program closes it too; only the user's close ends the run from here.
    if (!m_ending && !m_batch.gBatchMode && m_hooks.quitApplication)
        m_hooks.quitApplication();
}

// ------------------------------------------------------------------------------------ viewers and companion runs

void frmMainJVZ::attachFileCommands(ProcessRunner& runner, TerminalInfoFields& terminalInfo,
                                    std::function<TransferContext*()> transfers, FileViewers* viewers)
{
    FileOpenCommands::Sources sources;
    sources.currentLocalFolder = [this] { return CurrentLocalFolder; };
    sources.firstSelectedLocalName = [this] {
        QModelIndexList rows =
            m_ui.listView1->selectionModel() ? m_ui.listView1->selectionModel()->selectedRows() : QModelIndexList();
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        return rows.isEmpty() ? QString() : rows.first().data().toString();
    };
    sources.catalogueFilters = [this] {
        QStringList items;
        for (int i = 0; i < m_ui.combo2->count(); ++i)
            items << m_ui.combo2->itemText(i);
        return items;
    };
    sources.transfers = [this, transfers = std::move(transfers)] {
        return FtpSessionOpen() && transfers ? transfers() : nullptr;
    };
    sources.busy = [this] { return isBusy(); };
    // Opening a local file takes the connection bar's login and password as the FTP credentials.
    sources.local.takeConnectionBarCredentials = [this] {
        m_settings.gFtpUserName = m_ui.txtLogin->text();
        m_settings.gFtpPassword = m_ui.txtPassword->text();
    };
    sources.setBusy = [this, scope = std::make_shared<std::optional<BusyScope>>()](bool on) {
        if (on)
            scope->emplace(*this);
        else
            scope->reset();
    };
    m_fileCommands = std::make_unique<FileOpenCommands>(*this, m_settings, m_language, m_notifier, runner, terminalInfo,
                                                        std::move(sources), viewers);
    m_fileCommands->wireCommands(
        [this](Command c, std::function<void()> handler) { wireCommand(c, std::move(handler)); });
    m_ui.action(Command::HelpJungoTerminals)->setVisible(m_fileCommands->helpListAvailable());
}

void frmMainJVZ::AnalyzeSgn(const QString& path, int16_t& status)
{
    status = 1;
    if (m_fileCommands)
        m_fileCommands->AnalyzeSgn(path, status);
}

// ---------------------------------------------------------------------------------------------- trace, bars

void frmMainJVZ::AddTrace(const QString& line)
{
    m_trace.prepend(line + QStringLiteral("\r\n"));
    m_ui.txtTrace->setPlainText(QString(m_trace).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmMainJVZ::ClearTrace()
{
    m_trace.clear();
    m_ui.txtTrace->clear();
}

void frmMainJVZ::SetStatusPanel(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 4)
        m_ui.bar2Panels[panel - 1]->setText(text);
}

QString frmMainJVZ::StatusPanel(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_ui.bar2Panels[panel - 1]->text() : QString();
}

void frmMainJVZ::SetStatusBar3Panel(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 2)
        m_ui.bar3Panels[panel - 1]->setText(text);
}

QString frmMainJVZ::StatusBar3Panel(int panel) const
{
    return panel >= 1 && panel <= 2 ? m_ui.bar3Panels[panel - 1]->text() : QString();
}

void frmMainJVZ::SetStatusBar4(const QString& text)
{
    m_ui.bar4Text->setText(text);
}

QString frmMainJVZ::StatusBar4Text() const
{
    return m_ui.bar4Text->text();
}

QAction* frmMainJVZ::IconButton(int index) const
{
    const QList<QAction*> buttons = m_ui.tlbIcon->actions();
    return index >= 1 && index <= buttons.size() ? buttons.at(index - 1) : nullptr;
}

void frmMainJVZ::SetIconButton(int index, bool enabled, bool pressed)
{
    const Command commands[] = {Command::IconConnect, Command::IconDisconnect};
    if (index == 1 || index == 2)
        m_commands.setSwitched(commands[index - 1], enabled);
    if (QAction* a = IconButton(index))
        a->setChecked(pressed);
    applyCommandState();
}

} // namespace jvz
