#include "WindowAssembly.h"

#include "LinkConnect.h"
#include "ProgramConnect.h"
#include "ProgramServices.h"
#include "ProgramTransfers.h"
#include "core/AppState.h"
#include "platform/Notifier.h"
#include "session/RasFunctions.h"
#include "session/SessionRuntime.h"
#include "session/ui/ConnectionCombo.h"
#include "session/ui/LinkMenus.h"
#include "session/ui/frmPhonebookEntry.h"
#include "workspace/LocalSelection.h"
#include "workspace/ui/FileOpenCommands.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/LocalSelectionPane.h"
#include "workspace/ui/LocalSelectionWiring.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/TerminalPane.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTreeView>
#include <algorithm>

namespace jvz {

WindowAssembly::WindowAssembly(AppState& state, WindowServices platform, WindowHooks hooks,
                               const RuntimeTimings& timings)
    : m_state(state), m_platform(std::move(platform))
{
    WindowServices& p = m_platform;
    frmMainJVZ::Services services{.notifier = p.notifier,
                                  .userStore = p.userStore,
                                  .runner = p.runner,
                                  .hooks = hooks.window,
                                  .fillConnectionList = [this](QComboBox& combo) { fillConnectionList(combo); },
                                  .linkState = [ras = &p.ras] { return ras->GetRasConnectionState(); },
                                  .linkDownWaitMs = timings.quitLinkDownWaitMs,
                                  .statusMessageMs = timings.statusMessageMs,
                                  .folderReadWaitMs = timings.folderReadWaitMs,
                                  .volumes = p.volumes,
                                  .openDocument = p.openDocument,
                                  .makeFolder = p.makeFolder,
                                  .folderReadHook = p.folderReadHook};
    services.terminalSession = &state.session;
    services.terminalInfo = &state.terminalInfo; // the local explorer lists the package descriptor of its product
    m_window = std::make_unique<frmMainJVZ>(std::move(services), state.settings, state.batch);
    frmMainJVZ& w = *m_window;

    // session, on the adapter over the window's controls
    const SessionRuntimeState sessionState{.settings = state.settings,
                                           .batch = state.batch,
                                           .session = state.session,
                                           .identity = state.identity,
                                           .terminalInfo = state.terminalInfo,
                                           .link = state.link};
    m_sessionWindow = std::make_unique<MainSessionWindow>(
        MainSessionWindowControls{w.controls(), w.statusBars(), w.traceBox(), w.language(), w.commands()},
        state.settings, state.batch, state.session,
        MainSessionWindowHooks{.progressComment = std::move(hooks.progressComment),
                               .phonebookPort = [this] { return phonebookPort(m_state, m_platform.ports); }});
    m_session = std::make_unique<SessionRuntime>(*m_sessionWindow, sessionState,
                                                 SessionServices{.notifier = p.notifier,
                                                                 .ftp = p.ftp,
                                                                 .clock = p.clock,
                                                                 .transport = p.transport,
                                                                 .dialUp = p.dialUp,
                                                                 .batchActions = nullptr,
                                                                 .quitApplication = hooks.window.quitApplication},
                                                 timings);
    // the session's unattended actions, and the terminal explorer
    m_transfers = std::make_unique<ProgramTransfers>(state, w, m_session->wininet(), p.notifier, p.ftp, timings);
    m_session->setBatchActions(&m_transfers->batchActions());
    m_terminalPane =
        std::make_unique<TerminalPane>(TerminalPaneControls{w, w.controls(), w.traceBox(), w.language(), w.commands()},
                                       sessionState, *m_session, p.notifier, p.ftp, m_session->wininet());

    // link: the connect sequence and the Connection menu
    m_connect = std::make_unique<ProgramConnect>(state, w, *m_sessionWindow, *m_session, p.notifier, p.ras, p.ports,
                                                 p.portCheck);
    wireLinkMenus();

    // dialogs and companion runs: files opened by type, viewers, the terminal identity window
    buildFileCommands();
    connectWindow();
    if (p.stopSignals) {
        QObject::connect(p.stopSignals, &StopSignals::stopAsked, &w, [this, &state](int signal) {
            answerStopSignal(signal, state.batch, m_platform.ftp, *m_session,
                             [this] { m_window->quitWithoutQuestion(); });
        });
    }
}

WindowAssembly::~WindowAssembly() = default;

SessionWindow& WindowAssembly::sessionWindow()
{
    return *m_sessionWindow;
}

void WindowAssembly::wireLinkMenus()
{
    frmMainJVZ& w = *m_window;
    m_linkMenus = std::make_unique<LinkMenus>(LinkMenuContext{
        .ras = m_platform.ras,
        .notifier = m_platform.notifier,
        .language = w.language(),
        .owner = &w,
        .editEntry =
            [this](QWidget* owner, const QString& path, const QString& entry) {
                return EditRasEntry(owner, path, entry, m_platform.ports, &m_window->language());
            },
        .createEntry =
            [this](QWidget* owner, const QString& path) {
                return RasCreatePhonebookEntry(owner, path, m_platform.ports, &m_window->language());
            },
        .refillConnections = [this] { fillConnectionList(*m_window->controls().comboDefaultConnection); },
        .phonebookPort = [this] { return phonebookPort(m_state, m_platform.ports); },
        .checkPort = [this](const QString& port) { return m_connect->checkPort(port); }});
    LinkMenus* menus = m_linkMenus.get();
    w.commands().wireCommand(Command::ConnectionConfig,
                             [menus, &w] { menus->MNU_Connection_Config_Click(*w.controls().comboDefaultConnection); });
    w.commands().wireCommand(Command::ConnectionModem, [menus, &w] {
        BusyScope busy(w.commands());
        menus->MNU_Connection_Modem_Click();
    });
}

void WindowAssembly::buildFileCommands()
{
    frmMainJVZ& w = *m_window;
    const MainWindowControls& ui = w.controls();
    FileOpenCommands::Hooks sources;
    sources.currentLocalFolder = [&w] { return w.currentLocalFolder(); };
    sources.firstSelectedLocalName = [list = ui.listView1] {
        QModelIndexList rows = list->selectionModel() ? list->selectionModel()->selectedRows() : QModelIndexList();
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        return rows.isEmpty() ? QString() : rows.first().data().toString();
    };
    sources.catalogueFilters = [combo = ui.combo2] {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    };
    sources.transfers = [this] { return m_window->commands().FtpSessionOpen() ? &m_transfers->context() : nullptr; };
    sources.busy = [&w] { return w.commands().isBusy(); };
    sources.local.navigateToFolder = [&w](const QString& folder) { w.localExplorer()->GoToTypedPath(folder); };
    // Opening a local file takes the connection bar's login and password as the FTP credentials.
    sources.local.takeConnectionBarCredentials = [this, &ui] {
        m_state.settings.gFtpUserName = ui.txtLogin->text();
        m_state.settings.gFtpPassword = ui.txtPassword->text();
    };
    m_fileCommands = std::make_unique<FileOpenCommands>(w, m_state.settings, w.language(), m_platform.notifier,
                                                        m_platform.runner, m_state.terminalInfo, std::move(sources));
    m_fileCommands->wireCommands(
        [&w](Command c, std::function<void()> handler) { w.commands().wireCommand(c, std::move(handler)); });
    ui.action(Command::HelpJungoTerminals)->setVisible(m_fileCommands->helpListAvailable());
}

// One row a signal: who says what happened, and what answers it.
void WindowAssembly::connectWindow()
{
    using Window = frmMainJVZ;
    using Pane = TerminalPane;
    using Terminal = TerminalExplorerView;
    frmMainJVZ* w = m_window.get();
    SessionRuntime* session = m_session.get();
    Pane* pane = m_terminalPane.get();
    Terminal* terminal = &pane->view();
    LocalExplorerPane* explorer = w->localExplorer();
    FileOpenCommands* files = m_fileCommands.get();
    const auto hold = [w](std::optional<BusyScope>& scope) {
        return [w, &scope](bool busy) {
            if (busy)
                scope.emplace(w->commands());
            else
                scope.reset();
        };
    };

    // the window asks for the link: the program's connect sequence, or the test's
    if (m_platform.connectSequence)
        QObject::connect(w, &Window::connectAsked, w, m_platform.connectSequence);
    else
        QObject::connect(w, &Window::connectAsked, w, [sequence = m_connect.get()](bool modemSetupDone) {
            sequence->TerminalConnect(modemSetupDone);
        });
    // the window asks the session
    QObject::connect(w, &Window::disconnectAsked, session, &SessionRuntime::DisconnectTerminal);
    QObject::connect(w, &Window::activityChosen, session, &SessionRuntime::FollowActivityChoice);
    QObject::connect(w, &Window::ftpSessionCloseAsked, session, &SessionRuntime::CloseFtpSession);
    QObject::connect(w, &Window::terminalMessageAsked, session, &SessionRuntime::SendTerminalMessage);
    // the session's state, kept by the window
    QObject::connect(session, &SessionRuntime::ftpSessionOpenChanged, w, [w](bool open) {
        w->commands().state().setFtpSessionOpen(open);
        w->commands().apply();
    });
    // the session's phases, followed by the window's commands
    QObject::connect(session, &SessionRuntime::connectionStateChanged, w,
                     [w](ConnectionState state) { w->commands().followSessionState(state); });
    QObject::connect(session, &SessionRuntime::ftpSessionChanged, w,
                     [w](FtpSessionState state) { w->commands().followSessionState(state); });
    // the session on the terminal list and the catalogue filter; the refresh button follows it: it asks the
    // terminal again only while a list stands
    QObject::connect(session, &SessionRuntime::terminalListCleared, terminal, [w, terminal] {
        terminal->ClearTerminalList();
        w->commands().switchCommand(Command::TerminalRefresh, false);
    });
    QObject::connect(session, &SessionRuntime::terminalFolderEntered, terminal, [w, terminal](const QString& folder) {
        terminal->FtpEnumDirectory(folder);
        w->commands().switchCommand(Command::TerminalRefresh, true);
    });
    QObject::connect(session, &SessionRuntime::productCodeSeen, w, &Window::SeeProductCode);

    // the window and the local panes, on the terminal pane
    QObject::connect(&w->commands(), &WindowCommands::busyChanged, pane, &Pane::windowBusyChanged);
    QObject::connect(w, &Window::terminalListCommandAsked, pane, &Pane::runListCommand);
    QObject::connect(w, &Window::translated, terminal, &Terminal::translate);
    QObject::connect(&w->localSelection()->selection(), &LocalSelectionPane::dragStarted, terminal,
                     &Terminal::localDragStarted);

    // the terminal pane
    QObject::connect(pane, &Pane::ftpCallRunning, w, hold(m_callBusy));
    QObject::connect(pane, &Pane::ftpSessionLost, session, &SessionRuntime::CloseFtpSession);
    QObject::connect(terminal, &Terminal::captionChanged, w,
                     [bars = &w->statusBars()](const QString& text) { bars->SetStatusBar4(text); });
    QObject::connect(terminal, &Terminal::localFilesChanged, explorer,
                     [explorer](const QString& folder) { explorer->MajListeFichiers(QFile::encodeName(folder)); });
    QObject::connect(terminal, &Terminal::focused, w, [w] {
        w->commands().RefreshUploadCommand();
        w->commands().DisableDownloadCommand();
    });
    QObject::connect(terminal, &Terminal::copyNamesAsked, w, [w] { w->commands().run(Command::ContextCopy); });
    QObject::connect(terminal, &Terminal::deleteEnabledChanged, w, [w](bool on) {
        w->commands().state().setSwitched(Command::TerminalDelFile, on);
        w->commands().state().setSwitched(Command::ContextDelete, on);
        w->commands().apply();
    });
    QObject::connect(terminal, &Terminal::busyChanged, w, hold(m_terminalBusy));
    // The file lies in the FTP session's current directory, which the transfer context names.
    QObject::connect(terminal, &Terminal::fileOpenAsked, files,
                     [files](const QString&, const QString& name, qint64 listedBytes) {
                         files->OpenTerminalFile(name, listedBytes);
                     });

    // the file commands
    QObject::connect(explorer, &LocalExplorerPane::fileOpenAsked, files,
                     [files](const LocalFileRef& file) { files->openLocalFile(file.folder, file.name); });
    QObject::connect(files, &FileOpenCommands::companionRunningChanged, w, hold(m_companionBusy));
}

void WindowAssembly::fillConnectionList(QComboBox& combo)
{
    ConnectionListContext context{.ras = m_platform.ras,
                                  .notifier = m_platform.notifier,
                                  .language = m_window->language(),
                                  .connectionName = m_state.settings.gConnectionName,
                                  .batch = m_state.batch,
                                  .owner = m_window.get(),
                                  .createEntry = [this](QWidget* owner, const QString& path) {
                                      return RasCreatePhonebookEntry(owner, path, m_platform.ports,
                                                                     &m_window->language());
                                  }};
    FillDefaultConnectionCombo(combo, context);
}

} // namespace jvz
