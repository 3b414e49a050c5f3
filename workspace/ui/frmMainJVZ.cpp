#include "frmMainJVZ.h"

#include "MainSessionWindow.h"
#include "TerminalPane.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/Notifier.h"
#include "session/SessionRuntime.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace jvz {

namespace {

QAction* namedAction(QObject* parent, const char* name, const QString& text)
{
    auto* a = new QAction(text, parent);
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

frmMainJVZ::frmMainJVZ(AppSettings& settings, BatchRun& batch, Notifier& notifier, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_batch(batch), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmMainJVZ"));
    setWindowTitle(QStringLiteral("Pendraxa"));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralPane"));
    auto* layout = new QVBoxLayout(central);
    m_comboConnection = new QComboBox(central);
    m_comboConnection->setObjectName(QStringLiteral("Combo_DefaultConnection"));
    m_filter = new QLineEdit(central);
    m_filter->setObjectName(QStringLiteral("Filter"));
    m_txtTrace = new QPlainTextEdit(central);
    m_txtTrace->setObjectName(QStringLiteral("TXT_Trace"));
    m_txtTrace->setReadOnly(true);
    m_txtTrace->hide(); // lines are written to it even while hidden
    layout->addWidget(m_comboConnection);
    layout->addWidget(m_filter);
    layout->addWidget(m_txtTrace, 1);
    setCentralWidget(central);

    buildMenus();
    buildBars();

    // Armed only by the quit procedure; it has no interval of its own.
    m_timer4 = new QTimer(this);
    m_timer4->setObjectName(QStringLiteral("Timer4"));
    m_timer4->setSingleShot(true);
    connect(m_timer4, &QTimer::timeout, this, &frmMainJVZ::Timer4_Timer);
}

frmMainJVZ::~frmMainJVZ() = default;

SessionRuntime& frmMainJVZ::createSession(SessionRuntimeState state, SessionServices services,
                                          MainSessionWindowParts parts, const RuntimeTimings& timings)
{
    m_terminalPane.reset();
    m_session.reset();
    m_sessionWindow = std::make_unique<MainSessionWindow>(*this, m_settings, m_batch, std::move(parts));
    FtpClient& ftp = services.ftp;
    Notifier& notifier = services.notifier;
    m_session = std::make_unique<SessionRuntime>(*m_sessionWindow, state, std::move(services), timings);
    m_sessionWindow->setRuntime(m_session.get());
    // terminal explorer
    m_terminalPane = TerminalPane::attach(*this, state, notifier, ftp);
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

void frmMainJVZ::buildMenus()
{
    QMenu* terminal = menuBar()->addMenu(QStringLiteral("Terminal"));
    terminal->setObjectName(QStringLiteral("MNU_Terminal"));
    QAction* connectItem = namedAction(this, "MNU_Terminal_Connect", QStringLiteral("Connect"));
    QAction* disconnectItem = namedAction(this, "MNU_Terminal_Disconnect", QStringLiteral("Disconnect"));
    disconnectItem->setEnabled(false);
    QAction* quitItem = namedAction(this, "MNU_Terminal_Quit", QStringLiteral("Quit"));
    terminal->addAction(connectItem);
    terminal->addAction(disconnectItem);
    terminal->addSeparator();
    terminal->addAction(quitItem);
    connect(connectItem, &QAction::triggered, this, [this] { TerminalConnect(false); });
    connect(disconnectItem, &QAction::triggered, this, &frmMainJVZ::MNU_Terminal_Disconnect_Click);
    connect(quitItem, &QAction::triggered, this, &QWidget::close);

    QMenu* activity = menuBar()->addMenu(QStringLiteral("Activity"));
    activity->setObjectName(QStringLiteral("MNU_Activity"));
    m_activityGroup = new QActionGroup(this);
    const char* names[3] = {"MNU_Activity_Download", "MNU_Activity_Diagnostic", "MNU_Activity_Maintenance"};
    const char* texts[3] = {"Download", "Diagnostic", "Maintenance"};
    for (int i = 0; i < 3; ++i) {
        m_activity[i] = namedAction(this, names[i], QString::fromLatin1(texts[i]));
        m_activity[i]->setCheckable(true);
        m_activityGroup->addAction(m_activity[i]);
        activity->addAction(m_activity[i]);
        connect(m_activity[i], &QAction::triggered, this, [this, i] { selectActivity(i + 1); });
    }
    m_activity[0]->setChecked(true);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("MNU_View"));
    m_viewConnectBar = namedAction(this, "MNU_View_ConnectBar", QStringLiteral("Connection bar"));
    m_viewConnectBar->setCheckable(true);
    m_viewConnectBar->setVisible(m_settings.gX07);
    m_viewIconBar = namedAction(this, "MNU_View_IconBar", QStringLiteral("Icon bar"));
    m_viewIconBar->setCheckable(true);
    m_viewIconBar->setChecked(true);
    m_viewTrace = namedAction(this, "MNU_View_Trace", QStringLiteral("Trace"));
    m_viewTrace->setCheckable(true);
    m_viewTrace->setVisible(m_settings.gDebug); // without Debug the trace is written but never shown
    view->addAction(m_viewConnectBar);
    view->addAction(m_viewIconBar);
    view->addAction(m_viewTrace);
    connect(m_viewTrace, &QAction::toggled, m_txtTrace, &QWidget::setVisible);
}

void frmMainJVZ::buildBars()
{
    m_tlbConnect = new QToolBar(QStringLiteral("Connection"), this);
    m_tlbConnect->setObjectName(QStringLiteral("TLB_Connect"));
    addToolBar(m_tlbConnect);
    m_tlbConnect->hide();

    m_tlbIcon = new QToolBar(QStringLiteral("Icons"), this);
    m_tlbIcon->setObjectName(QStringLiteral("TLB_Icon"));
    addToolBar(m_tlbIcon);
    QAction* connectButton = m_tlbIcon->addAction(QStringLiteral("Connect"));
    QAction* disconnectButton = m_tlbIcon->addAction(QStringLiteral("Disconnect"));
    connectButton->setCheckable(true);
    disconnectButton->setCheckable(true);
    disconnectButton->setChecked(true); // not connected at start
    connect(connectButton, &QAction::triggered, this, [this] { TerminalConnect(false); });
    connect(disconnectButton, &QAction::triggered, this, &frmMainJVZ::MNU_Terminal_Disconnect_Click);

    m_statusBar2 = new QStatusBar(this);
    m_statusBar2->setObjectName(QStringLiteral("StatusBar2"));
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(m_statusBar2);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_statusBar2->addPermanentWidget(m_panels[i], i == 3 ? 2 : 1);
    }
    setStatusBar(m_statusBar2);
}

void frmMainJVZ::init(const MBLanguages& language)
{
    InitLanguage(language);
    if (m_settings.gConnectBar.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 && m_settings.gX07) {
        m_viewConnectBar->setChecked(true);
        m_tlbConnect->show();
    }
    if (m_settings.gIconBar.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0) {
        m_viewIconBar->setChecked(false);
        m_tlbIcon->hide();
    }
    FillDefaultConnectionCombo();
    selectActivity(m_batch.gActivity);
    m_filter->setText(m_settings.gFilterField);
}

void frmMainJVZ::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    setWindowTitle(QStringLiteral("Pendraxa")); // other windows find this one by its title
    SetStatusPanel(4, m_language.GetFormLabel(QStringLiteral("TerminalState")) +
                          m_language.GetFormLabel(QStringLiteral("NoConnected")));
}

void frmMainJVZ::selectActivity(int activity)
{
    const int index = activity == 2 || activity == 3 ? activity : 1;
    ActivityAsked = static_cast<uint8_t>(index);
    m_activity[index - 1]->setChecked(true);
}

void frmMainJVZ::FillDefaultConnectionCombo()
{
    if (m_fillConnectionList)
        m_fillConnectionList(*m_comboConnection);
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

void frmMainJVZ::AddTrace(const QString& line)
{
    m_trace.prepend(line + QStringLiteral("\r\n"));
    m_txtTrace->setPlainText(QString(m_trace).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmMainJVZ::ClearTrace()
{
    m_trace.clear();
    m_txtTrace->clear();
}

void frmMainJVZ::SetStatusPanel(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 4)
        m_panels[panel - 1]->setText(text);
}

QString frmMainJVZ::StatusPanel(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_panels[panel - 1]->text() : QString();
}

QAction* frmMainJVZ::IconButton(int index) const
{
    const QList<QAction*> buttons = m_tlbIcon->actions();
    return index >= 1 && index <= buttons.size() ? buttons.at(index - 1) : nullptr;
}

void frmMainJVZ::SetIconButton(int index, bool enabled, bool pressed)
{
    if (QAction* a = IconButton(index)) {
        a->setEnabled(enabled);
        a->setChecked(pressed);
    }
}

} // namespace jvz
