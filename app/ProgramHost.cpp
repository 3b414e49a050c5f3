#include "ProgramHost.h"

#include "WindowAssembly.h"
#include "core/AppState.h"
#include "core/PerUserFolder.h"
#include "core/ui/FrmComment.h"
#include "core/ui/MessageBoxNotifier.h"
#include "platform/FtpClient.h"
#include "platform/PppDialer.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "workspace/CommandState.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace jvz {

ProgramHost::ProgramHost(AppState& state, UserSettingsStore& userStore, FileWriter& writer,
                         const QString& executablePath, const RuntimeTimings& timings)
    : ProgramHostBase(state, userStore, writer, executablePath,
                      std::make_unique<MessageBoxNotifier>([&batch = state.batch] { return batch.gBatchMode; }),
                      timings),
      m_userStore(userStore), m_ftp(std::make_unique<CurlFtpClient>(m_timings.ftp)),
      m_transport(std::make_unique<TcpSessionTransport>(m_timings.socketLingerMs))
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
    if (!m_state.batch.gBatchMode && qEnvironmentVariableIsSet("JVZ_DEMO_CONNECT") && m_assembly) {
        QTimer::singleShot(0, &m_assembly->window(), [this] { m_assembly->window().runCommand(Command::Connect); });
    }
    return QApplication::exec();
}

StartupMainWindow& ProgramHost::mainWindow()
{
    if (!m_assembly) {
        m_assembly = std::make_unique<WindowAssembly>(
            m_state,
            WindowPlatform{.notifier = *m_notifier,
                           .userStore = m_userStore,
                           .ftp = *m_ftp,
                           .transport = *m_transport,
                           .clock = m_clock,
                           .runner = m_runner,
                           .ports = m_ports,
                           .ras = *m_ras,
                           .dialUp = m_dialer.get(),
                           .volumes = nullptr,
                           .connectSequence = {}},
            WindowHooks{.window = {.quitApplication = [this] { m_startup->QuitApplication(); },
                                   .unloadProgressWindow = [this] { unloadProgressWindow(); },
                                   .endProgram = [this] { endProgram(); }},
                        .progressComment = [this](const QString& text) { progressComment(text); }},
            m_timings);
        applyDialSettings(*m_state.settings.gIniFile);
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

void ProgramHost::unloadProgressWindow()
{
    if (m_progress)
        m_progress->close();
}

} // namespace jvz
