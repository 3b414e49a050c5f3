#include "ProgramTransfers.h"

#include "core/AppState.h"
#include "platform/FileWriter.h"
#include "terminal_files/ui/TerminalConfigCommand.h"
#include "workspace/ui/frmMainJVZ.h"

namespace jvz {

ProgramTransfers::ProgramTransfers(AppState& state, frmMainJVZ& window, Wininet& wininet, Notifier& notifier,
                                   FtpClient& ftp, const RuntimeTimings& timings)
    : m_host({window, window.controls(), window.traceBox(), window.language()}, wininet, notifier, state.settings,
             state.batch),
      m_actions(TransferContext{.ftp = ftp,
                                .host = m_host,
                                .notifier = notifier,
                                .language = window.language(),
                                .batch = state.batch,
                                .session = state.session,
                                .identity = state.identity,
                                .terminalInfo = state.terminalInfo,
                                .currentTerminalDir = state.session.currentTerminalDir,
                                .maxAnimationWaitMs = timings.copyAnimationWaitMs})
{
    // Terminal information (MNU_Terminal_Info, icon-bar button 7): the terminal's configuration file over the
    // session's FTP; the session enables the command once the terminal may be asked.
    m_terminalInfo = std::make_unique<TerminalConfigCommand>(m_actions.context(), state.settings,
                                                             AtomicFileWriter::standard(), &window);
    window.commands().wireCommand(Command::TerminalInfo, [this] { m_terminalInfo->MNU_Terminal_Info_Click(); });
}

ProgramTransfers::~ProgramTransfers() = default;

} // namespace jvz
