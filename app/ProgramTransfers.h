#pragma once

#include "terminal_files/CatalogBatchActions.h"
#include "terminal_files/TransferContext.h"
#include "workspace/ui/MainWindowTransferHost.h"

namespace jvz {

struct AppState;
class FtpClient;
class Notifier;
struct RuntimeTimings;
class frmMainJVZ;
class TerminalConfigCommand;
class Wininet;

// The unattended actions of the session, over the program's FTP client and state.
class ProgramTransfers {
public:
    ProgramTransfers(AppState& state, frmMainJVZ& window, Wininet& wininet, Notifier& notifier, FtpClient& ftp,
                     const RuntimeTimings& timings);
    ~ProgramTransfers();

    BatchActions& batchActions() { return m_actions; }
    // The program's transfer context, for the interactive commands on the open FTP session.
    TransferContext& context() { return m_actions.context(); }

private:
    MainWindowTransferHost m_host;
    CatalogBatchActions m_actions;
    std::unique_ptr<TerminalConfigCommand> m_terminalInfo;
};

} // namespace jvz
