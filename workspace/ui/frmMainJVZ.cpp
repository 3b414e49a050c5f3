#include "frmMainJVZ.h"

#include "LocalExplorerAttach.h"
#include "LocalExplorerPane.h"
#include "LocalSelectionWiring.h"
#include "QuitProcedure.h"
#include "TraceBox.h"
#include "WindowEnvironment.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/CaseLookup.h"
#include "core/MBApplications.h"
#include "core/MbWorkFile.h"
#include "core/PerUserFolder.h"
#include "core/ProgramInfo.h"
#include "core/Settings.h"
#include "core/TerminalSession.h"
#include "core/ui/GetAllFormLabel.h"
#include "core/ui/IconTable.h"
#include "core/ui/QtTranslations.h"
#include "platform/FileWriter.h"
#include "platform/Notifier.h"
#include "platform/UserSettingsStore.h"
#include "workspace/FavouritePaths.h"
#include "workspace/ui/CatalogueAuthoring.h"
#include "workspace/ui/HelpCommands.h"
#include "workspace/ui/MainWindowLayout.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <optional>

namespace jvz {

frmMainJVZ::frmMainJVZ(Services services, AppSettings& settings, BatchRun& batch, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_batch(batch), m_notifier(services.notifier),
      m_hooks(std::move(services.hooks)), m_fillConnectionList(std::move(services.fillConnectionList)),
      m_linkState(std::move(services.linkState)), m_userStore(services.userStore),
      m_openDocument(std::move(services.openDocument)), m_makeFolder(std::move(services.makeFolder)),
      m_statusMessageMs(services.statusMessageMs),
      m_childProgram(std::make_unique<MBApplications>(services.runner, &services.notifier)),
      m_terminalSession(services.terminalSession), m_terminalInfo(services.terminalInfo)
{
    setObjectName(QStringLiteral("frmMainJVZ"));
    setWindowTitle(QStringLiteral("Pendraxa"));
    m_ui.build(*this);
    m_commands = std::make_unique<WindowCommands>(m_ui, m_activityAsked, m_currentLocalFolder);
    m_statusBars = std::make_unique<WindowStatusBars>(m_ui);
    m_trace = std::make_unique<TraceBox>(*m_ui.txtTrace);
    m_environment = std::make_unique<WindowEnvironment>(*this, m_ui, m_settings, m_userStore);
    m_quit = std::make_unique<QuitProcedure>(
        QuitProcedure::Services{.notifier = m_notifier,
                                .language = m_language,
                                .owner = this,
                                .busy = [this] { return m_commands->isBusy(); },
                                .saveEnvironment =
                                    [this] {
                                        SaveEnvironment();
                                        m_localSelection->favourites().SavePathHistory();
                                    },
                                .linkState = m_linkState,
                                .takeLinkDown = [this] { emit disconnectAsked(); },
                                .trace = [this](const QString& line) { m_trace->add(line); },
                                .childProgram = [this] { return m_childProgram.get(); },
                                .linkDownWaitMs = services.linkDownWaitMs});
    m_layout = new MainWindowLayout(m_ui, this);
    connectCommands();
    wireCatalogueAuthoring();
    // Pointer moves over these give the window its default pointer back.
    for (QWidget* w : {static_cast<QWidget*>(m_ui.statusBar3), static_cast<QWidget*>(m_ui.statusBar4),
                       static_cast<QWidget*>(m_ui.tlbIcon)})
        w->installEventFilter(this);
    connect(m_ui.tlbConnect, &QToolBar::actionTriggered, this, &frmMainJVZ::TLB_Connect_ButtonClick);
    // The tree's menu comes from the local explorer (connectPanes).
    for (QTreeView* view : {m_ui.listView1, m_ui.listView2})
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& pos) { showContextMenu(view, view->viewport()->mapToGlobal(pos)); });
    // Context keys belong to the views they serve, so they never take a key from a text box or the other views.
    const auto local = [](QWidget* view, std::initializer_list<QAction*> items) {
        for (QAction* a : items) {
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            view->addAction(a);
        }
    };
    local(m_ui.treeView1, {m_ui.action(Command::ContextAddPath), m_ui.action(Command::ContextDelPath)});
    for (QTreeView* view : {m_ui.listView1, m_ui.listView2})
        local(view, {m_ui.action(Command::ContextCopy), m_ui.action(Command::ContextDelete),
                     m_ui.action(Command::ContextRefresh)});
    local(m_ui.listView1, {m_ui.action(Command::CatalogDescription), m_ui.action(Command::CatalogCreate),
                           m_ui.action(Command::CatalogFamily), m_ui.action(Command::PackAdd),
                           m_ui.action(Command::PackCreate), m_ui.action(Command::PackReset)});
    m_ui.setTabOrder();

    // local explorer: the tree, the file list, the path combo and the filters; filled at the first show
    const LocalPaneControls site{
        .window = *this,
        .controls = m_ui,
        .language = m_language,
        .wireCommand = [this](Command c, std::function<void()> h) { m_commands->wireCommand(c, std::move(h)); },
        .busy = [this] { return m_commands->isBusy(); }};
    m_localExplorer = attachLocalExplorer(site, m_settings, services.volumes, [this] {
        return m_terminalInfo ? m_terminalInfo->ProductCodeTerminal() : QString(); // the connected terminal's
    });
    m_localExplorer->setFolderReadWaitLimit(services.folderReadWaitMs);
    if (services.folderReadHook)
        m_localExplorer->setFolderReadHook(services.folderReadHook);
    // local selection: the file list's marks, keys and deletion; the favourite folders in Combo5
    m_localSelection =
        new LocalSelectionWiring(site, *m_localExplorer, m_settings, m_notifier,
                                 {.ftpSessionOpen = [this] { return m_commands->FtpSessionOpen(); },
                                  .activity = [this] { return m_activityAsked; },
                                  .terminalFolder = [this] { return currentTerminalDir(); },
                                  .packResetOn = [this] { return m_commands->state().switchedOn(Command::PackReset); }},
                                 services.volumes);
    m_commands->state().localListingChanged(LocalListingChange::Shown); // nothing is chosen until the user chooses
    m_commands->wireCommand(Command::ContextCopy, [this] { copyListNames(); });
    m_commands->wireCommand(Command::ContextDelete, [this] { deleteListSelection(); });
    m_commands->wireCommand(Command::ContextRefresh, [this] { refreshFocusedList(); });

    // Armed only by the quit procedure; it has no interval of its own.
    m_timer4 = new QTimer(this);
    m_timer4->setObjectName(QStringLiteral("Timer4"));
    m_timer4->setSingleShot(true);
    connect(m_timer4, &QTimer::timeout, this, &frmMainJVZ::Timer4_Timer);
    connectPanes();
    m_commands->apply();
}

frmMainJVZ::~frmMainJVZ() = default;

QString frmMainJVZ::label(const char* key) const
{
    return m_language.GetFormLabel(QLatin1String(key));
}

// ---------------------------------------------------------------------------------------------- catalogue authoring

void frmMainJVZ::wireCatalogueAuthoring()
{
    CatalogueAuthoring::Context c;
    c.settings = &m_settings;
    c.language = &m_language;
    c.notifier = &m_notifier;
    c.writer = &AtomicFileWriter::standard();
    c.window = this;
    c.selection = [this] { return CatalogueAuthoring::selectedPaths(*m_ui.listView1); };
    c.currentFolder = [this] { return m_currentLocalFolder; };
    c.filterText = [this] { return m_ui.combo2->currentText(); };
    c.filterItems = [this] { return CatalogueAuthoring::itemTexts(*m_ui.combo2); };
    c.productCodes = [this] {
        QStringList codes;
        for (const ProductCodeTable::Entry& e : m_products.entries())
            codes << e.code.toUpper();
        return codes;
    };
    c.setFilterText = [this](const QString& text) { m_ui.combo2->setCurrentText(text); };
    c.now = [] { return QDateTime::currentDateTime(); };
    m_authoring = std::make_unique<CatalogueAuthoring>(std::move(c));
    CatalogueAuthoring* a = m_authoring.get();
    m_commands->wireCommand(Command::CatalogCreate, [a] { a->MNU_Catalog_create_Click(); });
    m_commands->wireCommand(Command::CatalogFamily, [a] { a->MNU_Catalog_family_Click(); });
    m_commands->wireCommand(Command::CatalogList, [a] { a->MNU_Catalog_list_Click(); });
    m_commands->wireCommand(Command::PackCreate, [a] { a->MNU_CatalogPack_Create_Click(); });
    m_commands->wireCommand(Command::PackAdd, [a] { a->MNU_CatalogPack_Add_Click(); });
    m_commands->wireCommand(Command::PackReset, [a] { a->MNU_CatalogPack_Reset_Click(); });
}

// ---------------------------------------------------------------------------------------------- commands

void frmMainJVZ::connectCommands()
{
    // The connect and disconnect run nested waits: the window is busy meanwhile.
    m_commands->wireCommand(Command::Connect, [this] {
        BusyScope busy(*m_commands);
        TerminalConnect(false);
    });
    m_commands->wireCommand(Command::IconConnect, [this] {
        BusyScope busy(*m_commands);
        TerminalConnect(false);
        // Whatever the sequence gave, the exchange directory's bookkeeping starts again.
        if (m_terminalSession) {
            m_terminalSession->swapTotalSize = 0;
            m_terminalSession->swapUnchecked = true;
        }
    });
    for (Command disconnect : {Command::Disconnect, Command::IconDisconnect, Command::ConnectionHangUp})
        m_commands->wireCommand(disconnect, [this] {
            BusyScope busy(*m_commands);
            emit disconnectAsked();
        });
    m_commands->wireCommand(Command::Quit, [this] { close(); });
    // An activity chosen anew is asked of the terminal at once; the chosen one again only rewrites the panel.
    // While the FTP session is closed, a refresh or the connection is still asking the terminal for an activity:
    // the session follows the new choice, so the menu never shows one activity while the terminal runs another.
    const Command activities[3] = {Command::ActivityDownload, Command::ActivityDiagnostic,
                                   Command::ActivityMaintenance};
    for (int i = 0; i < 3; ++i)
        m_commands->wireCommand(activities[i], [this, i] {
            const bool changed = m_activityAsked != i + 1;
            selectActivity(i + 1);
            if (!changed)
                return;
            if (m_commands->FtpSessionOpen())
                RefreshTerminalList();
            else
                emit activityChosen(m_activityAsked);
        });
    m_commands->wireCommand(Command::ViewConnectBar, [this] {
        m_ui.tlbConnect->setVisible(m_ui.action(Command::ViewConnectBar)->isChecked());
        m_layout->ArrangeBars();
    });
    m_commands->wireCommand(Command::ViewIconBar, [this] {
        m_ui.tlbIcon->setVisible(m_ui.action(Command::ViewIconBar)->isChecked());
        m_layout->ArrangeBars();
    });
    m_commands->wireCommand(Command::ViewTrace, [this] {
        m_ui.txtTrace->setVisible(m_ui.action(Command::ViewTrace)->isChecked());
        m_ui.txtTrace->raise();
    });
    m_commands->wireCommand(Command::HelpAbout, [this] { HelpCommands::showAbout(*this, m_language); });
    m_commands->wireCommand(Command::HelpGuide, [this] {
        HelpCommands::openUserGuide(*this, m_settings.gProgramFolder, m_language, m_notifier, m_openDocument);
    });
}

void frmMainJVZ::RefreshTerminalList()
{
    if (!m_commands->FtpSessionOpen() || !m_settings.gNTProtocol)
        return;
    emit ftpSessionCloseAsked();
    emit terminalMessageAsked(0, m_activityAsked);
}

void frmMainJVZ::showContextMenu(QWidget* view, const QPoint& globalPos)
{
    // The terminal list's menu, which its pane shows with a session even while the window is busy, takes the
    // catalogue menu off.
    if (view == m_ui.listView2 && m_commands->FtpSessionOpen()) {
        m_commands->state().setMenuList(MenuList::Terminal);
        m_commands->apply();
    }
    if (m_commands->isBusy())
        return;
    view->setFocus(Qt::PopupFocusReason);
    if (view == m_ui.treeView1) {
        m_ui.mnuContextuel2->popup(globalPos);
        return;
    }
    // The catalogue menus serve the local list only.
    const bool local = view == m_ui.listView1;
    m_ui.mnuC1->setVisible(local);
    m_ui.mnuCatalog->menuAction()->setVisible(local);
    m_ui.mnuCatalogPack->menuAction()->setVisible(local);
    m_ui.mnuContextuel->popup(globalPos);
}

bool frmMainJVZ::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter &&
        (watched == m_ui.statusBar3 || watched == m_ui.statusBar4 || watched == m_ui.tlbIcon)) {
        unsetCursor();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The network panel belonged to one old platform version only; there is none here.
void frmMainJVZ::CheckNetworkMenu()
{
    m_commands->state().setSwitched(Command::ConnectionNetwork, false);
    m_ui.action(Command::ConnectionNetwork)->setVisible(false);
    m_commands->apply();
}

void frmMainJVZ::TLB_Connect_ButtonClick()
{
    setCursor(Qt::PointingHandCursor);
}

// ---------------------------------------------------------------------------------------------- start-up

void frmMainJVZ::Form_Load()
{
    m_loaded = true;
    m_ui.iconButton(IconButton::Disconnect)->setChecked(true); // not connected: disconnect shown pressed
    m_commands->RefreshTransferCommands(false);
    CheckNetworkMenu();
    m_commands->switchCommand(Command::ApplicationList, false);
    m_commands->DisableTerminalInfoCommand();
    m_ui.action(Command::ViewConnectBar)->setVisible(m_settings.gX07);
    if (QAction* back = m_ui.action(Command::TerminalBackFolder))
        back->setVisible(m_settings.gX07);
    // Without Debug the trace box can never be shown, but lines are still written to it.
    m_ui.action(Command::ViewTrace)->setChecked(false);
    m_ui.txtTrace->hide();
    m_ui.action(Command::ViewTrace)->setVisible(m_settings.gDebug);
    m_ui.mnuV1->setVisible(m_settings.gDebug);
    m_ui.treeView1->setAcceptDrops(true); // local items dropped on a folder of the tree
    // The session takes the address and credentials from these boxes, in batch runs too.
    m_ui.txtLogin->setText(m_settings.gFtpUserName);
    m_ui.txtPassword->setText(m_settings.gFtpPassword);
    m_ui.txtPort->setText(m_settings.gIpPort);
    m_ui.txtIp->setText(m_settings.gIpLocalAddress);
    m_ui.txtIp->setEnabled(false);
    // The dial-up phonebook's folder and the per-user temp folder; one that cannot be made is reported once
    // the window has its texts.
    const auto make = [this](const QString& path) {
        if (QFileInfo(path).isDir())
            return;
        const bool made = m_makeFolder ? m_makeFolder(path) : QDir().mkpath(path);
        if (!made)
            m_foldersNotCreated.append(QDir::toNativeSeparators(path));
    };
    if (!m_settings.gProgramFolder.isEmpty())
        make(m_settings.gProgramFolder + QStringLiteral("/ras"));
    make(GetAppTempDir());
    if (!m_batch.gBatchMode && !m_settings.gProgramFolder.isEmpty()) {
        const QString list = m_settings.gProgramFolder + QStringLiteral("/Jungo USB - Compliant terminals.txt");
        m_ui.action(Command::HelpJungoTerminals)->setVisible(QFileInfo(resolvePathAnyCase(list)).isFile());
    }
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
    m_commands->state().setFtpSessionOpen(false);
    if (!m_foldersNotCreated.isEmpty()) {
        const QString text =
            label("MSG_FolderNotCreated") + QStringLiteral(": ") + m_foldersNotCreated.join(QStringLiteral(", "));
        m_foldersNotCreated.clear();
        m_trace->add(text);
        m_notifier.message(text, QLatin1String(kProgramTitle), MessageIcon::Exclamation, MessageButtons::Ok, this);
    }
}

void frmMainJVZ::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    QtTranslations::program().apply(m_language.LanguageNumber()); // Qt's own texts follow the language
    GetAllFormLabel(m_language, *this);
    setWindowTitle(QStringLiteral("Pendraxa")); // other windows find this one by its title
    // The drive view's text in the tree, the path combo and the favourites; before the accessible texts,
    // which name the favourites box.
    if (m_localExplorer)
        m_localExplorer->translate();
    if (m_localSelection)
        m_localSelection->translate();
    m_ui.applyAccessibleTexts(m_language);
    emit translated(); // the terminal list's headers
    m_statusBars->SetStatusPanel(StatusPanel::LinkState, label("TerminalState") + label("NoConnected"));
}

void frmMainJVZ::selectActivity(int activity)
{
    const int index = activity == 2 || activity == 3 ? activity : 1;
    const Command items[3] = {Command::ActivityDownload, Command::ActivityDiagnostic, Command::ActivityMaintenance};
    m_activityAsked = static_cast<uint8_t>(index);
    m_ui.action(items[index - 1])->setChecked(true);
    ShowActivityLabel();
}

void frmMainJVZ::ShowActivityLabel()
{
    static const char* const keys[3] = {"LBL_Activity_Download", "LBL_Activity_Diagnostic", "LBL_Activity_Maintenance"};
    QString text = label("LBL_Activity") + QStringLiteral(": ");
    if (m_activityAsked >= 1 && m_activityAsked <= 3)
        text += label(keys[m_activityAsked - 1]);
    m_statusBars->SetStatusPanel(StatusPanel::Activity, text);
}

void frmMainJVZ::SeeProductCode(const QString& code)
{
    // A terminal that has not identified itself has no code: there is nothing to look up.
    if (code.trimmed().isEmpty())
        return;
    const QString text = m_products.text(code);
    if (text.isEmpty()) {
        m_notifier.message(label("MSG_UnknownProductCode") + QStringLiteral(": ") + code, QLatin1String(kProgramTitle),
                           MessageIcon::Exclamation, MessageButtons::Ok, this);
        return;
    }
    m_ui.combo2->setEditText(productFilter(code));
    m_ui.listView2->setToolTip(text);
}

void frmMainJVZ::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_firstActivation)
        Form_Activate();
}

// Only the first activation does anything: the window's place, the bars, the filters, the status texts.
void frmMainJVZ::Form_Activate()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    m_environment->restore();
    m_ui.applyIcons(*this);
    m_layout->ArrangeBars();
    m_localExplorer->LoadCatalogFilters(m_products, m_notifier);
    m_trace->clear();
    m_statusBars->SetStatusPanel(StatusPanel::LinkState, label("TerminalState") + label("NoConnected"));
    m_statusBars->SetStatusBar3Panel(FolderBarPanel::TreeCaption, label("AllDir"));
    m_statusBars->SetStatusBar4(label("TerminalContent"));
    m_trace->add(m_statusBars->StatusPanelText(StatusPanel::LinkState));
    m_ui.text3->clear();
    emit firstActivated(); // the favourites load and the local explorer goes to "My Computer"
}

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
    if (isSignalConnected(QMetaMethod::fromSignal(&frmMainJVZ::connectAsked))) {
        emit connectAsked(modemSetupDone);
        return;
    }
    const QString text = QStringLiteral("no link could be set up: the connect sequence is not available");
    m_trace->add(text);
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
    // The end of the program closes it too: nothing is asked then.
    if (m_ending || m_batch.gBatchMode) {
        QMainWindow::closeEvent(event);
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (m_hooks.quitApplication)
        m_hooks.quitApplication();
}

void frmMainJVZ::quitWithoutQuestion()
{
    if (m_ending)
        return;
    if (m_commands->isBusy()) {
        if (!m_quitWhenIdle) {
            m_quitWhenIdle = true;
            // Out of the wait's own stack: the quit waits for the link itself.
            connect(m_commands.get(), &WindowCommands::busyChanged, this, [this](bool busy) {
                if (!busy)
                    QTimer::singleShot(0, this, &frmMainJVZ::quitWithoutQuestion);
            });
        }
        return;
    }
    if (!m_quit->run(QuitProcedure::Question::Skipped))
        return;
    m_ending = true;
    close();
    if (m_hooks.quitApplication)
        m_hooks.quitApplication();
}

bool frmMainJVZ::Form_QueryUnload()
{
    return m_quit->run();
}

void frmMainJVZ::SaveEnvironment()
{
    m_environment->save();
}

} // namespace jvz
