#include "ProgramHost.h"

#include "WindowAssembly.h"
#include "core/AppState.h"
#include "core/PerUserFolder.h"
#include "core/ui/FrmComment.h"
#include "core/ui/MessageBoxNotifier.h"
#include "platform/PppDialer.h"
#include "session/SessionRuntime.h"
#include "workspace/CommandState.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace jvz {

ProgramHost::ProgramHost(AppState& state, UserSettingsStore& userStore, FileWriter& writer,
                         const QString& executablePath, const RuntimeTimings& timings)
    : m_state(state), m_userStore(userStore),
      m_services(executablePath,
                 std::make_unique<MessageBoxNotifier>([&batch = state.batch] { return batch.gBatchMode; }), timings),
      m_startup(makeStartup(*this, state, userStore, writer, m_services))
{
}

ProgramHost::~ProgramHost() = default;

int ProgramHost::run(const QStringList& arguments)
{
    // Closing a window never ends the run by itself: every end goes through the quit procedure.
    QApplication::setQuitOnLastWindowClosed(false);
    if (m_startup.Main(arguments) == Startup::Outcome::Ended)
        return 0;
    // scripts/demo --window without a display: nobody can press Connect, so the window does it once.
    if (!m_state.batch.gBatchMode && qEnvironmentVariableIsSet("JVZ_DEMO_CONNECT") && m_assembly) {
        QTimer::singleShot(0, &m_assembly->window(), [this] { m_assembly->window().commands().run(Command::Connect); });
    }
    return QApplication::exec();
}

StartupMainWindow& ProgramHost::mainWindow()
{
    if (!m_assembly) {
        m_assembly = std::make_unique<WindowAssembly>(
            m_state,
            WindowServices{.notifier = *m_services.notifier,
                           .userStore = m_userStore,
                           .ftp = m_services.ftp,
                           .transport = m_services.transport,
                           .clock = m_services.clock,
                           .runner = m_services.runner,
                           .ports = m_services.ports,
                           .ras = *m_services.ras,
                           .portCheck = m_services.portCheck,
                           .dialUp = m_services.dialer.get(),
                           .volumes = nullptr,
                           .connectSequence = {},
                           .stopSignals = &m_services.stopSignals},
            WindowHooks{.window = {.quitApplication = [this] { m_startup.QuitApplication(); },
                                   .unloadProgressWindow = [this] { unloadProgressWindow(); },
                                   .endProgram = [this] { endProgram(); }},
                        .progressComment = [this](const QString& text) { progressComment(text); }},
            m_services.timings);
        m_services.applyDialSettings(*m_state.settings.gIniFile);
    }
    return m_assembly->window();
}

FrmComment& ProgramHost::progressWindow()
{
    if (!m_progress)
        m_progress = std::make_unique<FrmComment>();
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

void ProgramHost::FindModemPorts()
{
    m_services.findModemPorts(m_state);
}

bool ProgramHost::isAnotherInstanceRunning()
{
    return m_services.isAnotherInstanceRunning();
}

// Leaves the event loop without closing any window; before the loop runs, Main reports the end instead.
void ProgramHost::endProgram()
{
    QCoreApplication::exit(0);
}

void ProgramHost::unloadProgressWindow()
{
    if (m_progress)
        m_progress->close();
}

} // namespace jvz
