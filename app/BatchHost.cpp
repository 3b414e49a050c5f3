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
    : ProgramHostBase(state, userStore, writer, executablePath, std::make_unique<ConsoleNotifier>(), timings),
      m_ftp(m_timings.ftp), m_transport(m_timings.socketLingerMs)
{
}

BatchHost::~BatchHost() = default;

int BatchHost::run(const QStringList& arguments)
{
    if (m_startup->Main(arguments) == Startup::Outcome::Ended)
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
    hooks.phonebookPort = [this] { return phonebookPort(m_state, m_ports); };
    m_window = std::make_unique<BatchWindow>(m_state.settings, m_state.batch, *m_notifier, *m_ras, std::move(hooks));
    BatchWindow& window = *m_window;
    m_actions =
        std::make_unique<CatalogBatchActions>(TransferContext{.ftp = m_ftp,
                                                              .host = window,
                                                              .notifier = *m_notifier,
                                                              .language = window.texts(),
                                                              .batch = m_state.batch,
                                                              .session = m_state.session,
                                                              .identity = m_state.identity,
                                                              .terminalInfo = m_state.terminalInfo,
                                                              .currentTerminalDir = window.terminalDir(),
                                                              .maxAnimationWaitMs = m_timings.copyAnimationWaitMs});
    m_session =
        std::make_unique<SessionRuntime>(window,
                                         SessionRuntimeState{.settings = m_state.settings,
                                                             .batch = m_state.batch,
                                                             .session = m_state.session,
                                                             .identity = m_state.identity,
                                                             .terminalInfo = m_state.terminalInfo,
                                                             .link = m_state.link},
                                         SessionServices{.notifier = *m_notifier,
                                                         .ftp = m_ftp,
                                                         .clock = m_clock,
                                                         .transport = m_transport,
                                                         .dialUp = m_dialer.get(),
                                                         .batchActions = m_actions.get(),
                                                         .quitApplication = [this] { m_startup->QuitApplication(); }},
                                         m_timings);
    window.setRuntime(m_session.get());
    ConnectWindowParts parts;
    parts.entryName = [&window] { return window.entryName(); };
    // No window to choose a terminal in; an unattended run never asks.
    parts.selectUsbPort = [](int, const QString&, const QString&) { return QString(); };
    // The port installer's checks and trace lines, without its window.
    parts.installPort = [this, &window](const QString& port) {
        MBLanguages texts;
        texts.Copy(window.texts());
        texts.SetCurrentSection(QStringLiteral("FrmConfigComModem"));
        for (const PortCheckStep& step : runPortChecks(port, m_connect->portCheckSystem())) {
            for (const QString& line : portCheckStepLines(step, texts))
                window.AddTrace(line);
            if (!step.passed)
                return false;
        }
        return true;
    };
    m_connect = std::make_unique<LinkConnect>(m_state, window, *m_session, std::move(parts), window.texts(),
                                              *m_notifier, *m_ras, m_ports);
    applyDialSettings(*m_state.settings.gIniFile);
    return window;
}

// A network link dials nothing: the port list is made only for a run over a serial link.
void BatchHost::FindModemPorts()
{
    if (m_state.batch.gSerialLink)
        ProgramHostBase::FindModemPorts();
}

} // namespace jvz
