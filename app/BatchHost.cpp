#include "BatchHost.h"

#include "BatchWindow.h"
#include "LinkConnect.h"
#include "core/AppState.h"
#include "platform/ConsoleNotifier.h"
#include "platform/PppDialer.h"
#include "session/SessionRuntime.h"
#include "terminal_files/CatalogBatchActions.h"

#include <QCoreApplication>

namespace jvz {

BatchHost::BatchHost(AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                     const QString& executablePath, const RuntimeTimings& timings)
    : m_state(state), m_services(executablePath, std::make_unique<ConsoleNotifier>(), timings),
      m_startup(makeStartup(*this, state, userStore, writer, m_services))
{
}

BatchHost::~BatchHost() = default;

int BatchHost::run(const QStringList& arguments)
{
    if (m_startup.Main(arguments) == Startup::Outcome::Ended)
        return 0;
    return QCoreApplication::exec();
}

StartupMainWindow& BatchHost::mainWindow()
{
    if (m_window)
        return *m_window;
    BatchWindow::Hooks hooks;
    hooks.connect = [this](bool modemSetupDone) { m_connect->TerminalConnect(modemSetupDone); };
    hooks.endProgram = [this] { endProgram(); };
    hooks.phonebookPort = [this] { return phonebookPort(m_state, m_services.ports); };
    m_window = std::make_unique<BatchWindow>(m_state.settings, m_state.batch, *m_services.notifier, *m_services.ras,
                                             std::move(hooks));
    BatchWindow& window = *m_window;
    m_actions = std::make_unique<CatalogBatchActions>(
        TransferContext{.ftp = m_services.ftp,
                        .host = window,
                        .notifier = *m_services.notifier,
                        .language = window.texts(),
                        .batch = m_state.batch,
                        .session = m_state.session,
                        .identity = m_state.identity,
                        .terminalInfo = m_state.terminalInfo,
                        .currentTerminalDir = window.terminalDir(),
                        .maxAnimationWaitMs = m_services.timings.copyAnimationWaitMs});
    m_session =
        std::make_unique<SessionRuntime>(window,
                                         SessionRuntimeState{.settings = m_state.settings,
                                                             .batch = m_state.batch,
                                                             .session = m_state.session,
                                                             .identity = m_state.identity,
                                                             .terminalInfo = m_state.terminalInfo,
                                                             .link = m_state.link},
                                         SessionServices{.notifier = *m_services.notifier,
                                                         .ftp = m_services.ftp,
                                                         .clock = m_services.clock,
                                                         .transport = m_services.transport,
                                                         .dialUp = m_services.dialer.get(),
                                                         .batchActions = m_actions.get(),
                                                         .quitApplication = [this] { m_startup.QuitApplication(); }},
                                         m_services.timings);
    window.setRuntime(m_session.get());
    QObject::connect(&m_services.stopSignals, &StopSignals::stopAsked, m_session.get(),
                     [this](int signal) { answerStopSignal(signal, m_state.batch, m_services.ftp, *m_session, {}); });
    ConnectWindowHooks parts;
    parts.entryName = [&window] { return window.entryName(); };
    // No window to choose a terminal in; an unattended run never asks.
    parts.selectUsbPort = [](int, const QString&, const QString&) { return QString(); };
    // The port installer's checks and trace lines, without its window.
    parts.installPort = [this, &window](const QString& port, QString& failure) {
        MBLanguages texts;
        texts.Copy(window.texts());
        texts.SetCurrentSection(QStringLiteral("FrmConfigComModem"));
        for (const PortCheckStep& step : runPortChecks(port, m_services.portCheck)) {
            for (const QString& line : portCheckStepLines(step, texts))
                window.AddTrace(line);
            if (!step.passed) {
                failure = portCheckFailureText(step, texts);
                return false;
            }
        }
        return true;
    };
    m_connect =
        std::make_unique<LinkConnect>(m_state, window, *m_session, std::move(parts), window.texts(),
                                      *m_services.notifier, *m_services.ras, m_services.ports, m_services.portCheck);
    m_services.applyDialSettings(*m_state.settings.gIniFile);
    return window;
}

// A network link dials nothing: the port list is made only for a run over a serial link.
void BatchHost::FindModemPorts()
{
    if (m_state.batch.gSerialLink)
        m_services.findModemPorts(m_state);
}

bool BatchHost::isAnotherInstanceRunning()
{
    return m_services.isAnotherInstanceRunning();
}

// Leaves the event loop; before the loop runs, Main reports the end instead.
void BatchHost::endProgram()
{
    QCoreApplication::exit(0);
}

} // namespace jvz
