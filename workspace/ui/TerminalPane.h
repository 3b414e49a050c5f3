#pragma once

// The terminal explorer placed in the main window: the terminal pane's controller on the window's own
// ListView2, Combo3, Toolbar3 and StatusBar4, the interactive transfer commands on the window's actions, and
// the session's calls to clear and fill the list.

#include "terminal_files/TransferContext.h"
#include "terminal_files/ui/TerminalExplorerView.h"
#include "workspace/ui/MainWindowTransferHost.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QTimer>
#include <memory>
#include <optional>

namespace jvz {

struct MainSessionWindowParts;
struct SessionRuntimeState;
class FtpClient;
class Notifier;
class frmMainJVZ;

class TerminalPane {
public:
    // Nothing when the window has no terminal list.
    static std::unique_ptr<TerminalPane> attach(frmMainJVZ& window, const SessionRuntimeState& state,
                                                Notifier& notifier, FtpClient& ftp);
    ~TerminalPane();

    TerminalExplorerView& view() { return *m_view; }
    TransferContext& context() { return m_context; }

private:
    TerminalPane(frmMainJVZ& window, const SessionRuntimeState& state, Notifier& notifier, FtpClient& ftp);
    void closeLostSession();

    frmMainJVZ& m_window;
    MainWindowTransferHost m_host;
    TransferContext m_context;
    std::unique_ptr<TerminalExplorerView> m_view;
    FtpClient& m_ftp;
    std::optional<BusyScope> m_callBusy; // held while an FTP call runs: the window serves events meanwhile
    QTimer m_sessionLost;                // closes the window's FTP session once a call ended it
    QString m_recordAtLoss;              // the run's error record when the call ended the session
};

// The session's two calls on the terminal list, through the window's pane.
void setTerminalListParts(MainSessionWindowParts& parts, frmMainJVZ& window);

} // namespace jvz
