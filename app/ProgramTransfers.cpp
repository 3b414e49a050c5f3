#include "ProgramTransfers.h"

#include "core/AppState.h"
#include "workspace/ui/frmMainJVZ.h"

namespace jvz {

ProgramTransfers::ProgramTransfers(AppState& state, frmMainJVZ& window, Notifier& notifier, FtpClient& ftp)
    : m_host(window, notifier, state.settings, state.batch),
      m_actions(TransferContext{ftp, m_host, notifier, window.language(), state.batch, state.session, state.identity,
                                state.terminalInfo, window.CurrentTerminalDir})
{
}

} // namespace jvz
