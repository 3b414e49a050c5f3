#include "ProgramHost.h"

#include "ProgramConnect.h"
#include "ProgramTransfers.h"
#include "core/AppState.h"
#include "core/PerUserFolder.h"
#include "core/ui/FrmComment.h"
#include "core/ui/MessageBoxNotifier.h"
#include "platform/FtpClient.h"
#include "platform/PppDialer.h"
#include "session/RasFunctions.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "session/ui/ConnectionCombo.h"
#include "session/ui/LinkMenus.h"
#include "session/ui/frmPhonebookEntry.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/CommandState.h"
#include "workspace/ui/TerminalPane.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QApplication>
#include <QTimer>
#include <QFileInfo>

namespace jvz {

ProgramHost::ProgramHost(AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                         const QString& executablePath, const RuntimeTimings& timings)
    : ProgramHostBase(state, userStore, writer, executablePath,
                      std::make_unique<MessageBoxNotifier>([&batch = state.batch] { return batch.gBatchMode; }),
                      timings)
{
}

ProgramHost::~ProgramHost() = default;

int ProgramHost::run(const QStringList& arguments)
{
    // Closing a window never ends the run by itself: every end goes through the quit procedure.
    QApplication::setQuitOnLastWindowClosed(false);
    if (m_startup->Main(arguments) == Startup::Outcome::Ended)
        return 0;
    // scripts/demo --window without a display: nobody can press Connect, so the window does it once.
    if (!m_state.batch.gBatchMode && qEnvironmentVariableIsSet("JVZ_DEMO_CONNECT") && m_mainWindow) {
        QTimer::singleShot(0, m_mainWindow.get(), [this] { m_mainWindow->runCommand(Command::Connect); });
    }
    return QApplication::exec();
}

StartupMainWindow& ProgramHost::mainWindow()
{
    if (!m_mainWindow) {
        m_mainWindow = std::make_unique<frmMainJVZ>(m_state.settings, m_state.batch, *m_notifier);
        m_state.ui.windows.insert(m_mainWindow->objectName(), m_mainWindow.get());
        m_mainWindow->setHooks({
            [this] { m_startup->QuitApplication(); },
            [this] { unloadProgressWindow(); },
            [this] { endProgram(); },
        });
        m_mainWindow->setConnectionListFiller([this](QComboBox& combo) { fillConnectionList(combo); });
        m_ftp = std::make_unique<CurlFtpClient>(m_timings.ftp);
        m_transport = std::make_unique<TcpSessionTransport>();
        MainSessionWindowParts parts;
        parts.progressComment = [this](const QString& text) { progressComment(text); };
        parts.phonebookPort = [this] { return phonebookPort(); };
        setTerminalListParts(parts, *m_mainWindow);
        m_transfers = std::make_unique<ProgramTransfers>(m_state, *m_mainWindow, *m_notifier, *m_ftp);
        m_mainWindow->createSession(
            {m_state.settings, m_state.batch, m_state.session, m_state.identity, m_state.terminalInfo, m_state.link},
            {*m_notifier, *m_ftp, m_clock, *m_transport, m_dialer.get(), &m_transfers->batchActions(),
             [this] { m_startup->QuitApplication(); }},
            std::move(parts), m_timings);
        m_mainWindow->attachFileCommands(m_runner, m_state.terminalInfo, [this] { return &m_transfers->context(); });
        m_connect = std::make_unique<ProgramConnect>(m_state, *m_mainWindow, *m_notifier, *m_ras, m_ports);
        m_mainWindow->setConnectSequence([this](bool modemSetupDone) { m_connect->TerminalConnect(modemSetupDone); });
        // main window frame: the quit's link wait and child program, the Connection menu
        m_mainWindow->setLinkStateQuery([this] { return m_ras->GetRasConnectionState(); });
        m_mainWindow->setLinkDownWaitMs(m_timings.quitLinkDownWaitMs);
        m_mainWindow->setChildProgramRunner(m_runner);
        m_mainWindow->attachLinkMenus(std::make_unique<LinkMenus>(LinkMenuContext{
            *m_ras, *m_notifier, m_mainWindow->language(), m_mainWindow.get(),
            [this](QWidget* owner, const QString& path, const QString& entry) {
                return EditRasEntry(owner, path, entry, m_ports, &m_mainWindow->language());
            },
            [this](QWidget* owner, const QString& path) {
                return RasCreatePhonebookEntry(owner, path, m_ports, &m_mainWindow->language());
            },
            [this] { fillConnectionList(*m_mainWindow->controls().comboDefaultConnection); },
            [this] { return phonebookPort(); },
            [this](const QString& port) { return m_connect->installPort(port); }}));
        applyDialSettings(*m_state.settings.gIniFile);
    }
    return *m_mainWindow;
}

FrmComment& ProgramHost::progressWindow()
{
    const QString name = QStringLiteral("FrmComment");
    if (auto* existing = qobject_cast<FrmComment*>(m_state.ui.windows.value(name).data()))
        return *existing;
    m_progress = std::make_unique<FrmComment>();
    m_state.ui.windows.insert(name, m_progress.get());
    return *m_progress;
}

void ProgramHost::showProgressWindow(const QString& comment)
{
    FrmComment& w = progressWindow();
    w.init(comment);
    w.show();
    w.repaint();
}

void ProgramHost::progressComment(const QString& text)
{
    progressWindow().NewComment(text);
}

void ProgramHost::unloadProgressWindow()
{
    if (auto* w = qobject_cast<FrmComment*>(m_state.ui.windows.value(QStringLiteral("FrmComment")).data()))
        w->close();
}

void ProgramHost::fillConnectionList(QComboBox& combo)
{
    ConnectionListContext context{*m_ras,
                                  *m_notifier,
                                  m_mainWindow->language(),
                                  m_state.settings.gConnectionName,
                                  m_state.batch,
                                  m_mainWindow.get(),
                                  [this](QWidget* owner, const QString& path) {
                                      return RasCreatePhonebookEntry(owner, path, m_ports, &m_mainWindow->language());
                                  }};
    FillDefaultConnectionCombo(combo, context);
}

} // namespace jvz
