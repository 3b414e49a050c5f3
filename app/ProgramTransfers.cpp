#include "ProgramTransfers.h"

#include "core/AppState.h"
#include "core/ui/frmAnimCopie.h"
#include "platform/FileWriter.h"
#include "session/SessionRuntime.h"
#include "session/SessionWindow.h"
#include "terminal_files/ui/AnimCopieProgress.h"
#include "terminal_files/ui/TerminalConfigCommand.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/frmMainJVZ.h"

namespace jvz {

MainWindowTransferHost::MainWindowTransferHost(frmMainJVZ& window, Notifier& notifier, const AppState& state)
    : m_window(window), m_notifier(notifier), m_state(state)
{
}

MainWindowTransferHost::~MainWindowTransferHost() = default;

void MainWindowTransferHost::setTransferStatus(const QString& text)
{
    if (SessionWindow* w = m_window.sessionWindow())
        w->SetLinkStatus(text);
}

void MainWindowTransferHost::trace(const QString& line)
{
    m_window.AddTrace(line);
}

void MainWindowTransferHost::ReportFtpError(uint32_t error, const QString& operation)
{
    if (SessionRuntime* session = m_window.session())
        session->wininet().ReportFtpError(error, operation, m_window.language());
}

TransferProgress* MainWindowTransferHost::progressWindow()
{
    if (!m_copyWindow) {
        m_copyWindow = new frmAnimCopie(m_notifier, m_state.settings.gProgramFolder, &m_window);
        m_copyWindow->setWindowFlag(Qt::Window);
        m_progress = std::make_unique<AnimCopieProgress>(*m_copyWindow, m_state.batch.gBatchMode
                                                                            ? AnimCopieProgress::CancelMode::Immediate
                                                                            : AnimCopieProgress::CancelMode::Confirm);
    }
    return m_progress.get();
}

ProgramTransfers::ProgramTransfers(AppState& state, frmMainJVZ& window, Notifier& notifier, FtpClient& ftp)
    : m_host(window, notifier, state),
      m_actions(TransferContext{ftp, m_host, notifier, window.language(), state.batch, state.session, state.identity,
                                state.terminalInfo, window.CurrentTerminalDir})
{
    // Terminal information (MNU_Terminal_Info, icon-bar button 7): the terminal's configuration file over the
    // session's FTP; the session enables the command once the terminal may be asked.
    m_terminalInfo = std::make_unique<TerminalConfigCommand>(m_actions.context(), state.settings,
                                                             AtomicFileWriter::standard(), &window);
    window.wireCommand(Command::TerminalInfo, [this] { m_terminalInfo->MNU_Terminal_Info_Click(); });
}

ProgramTransfers::~ProgramTransfers() = default;

} // namespace jvz
