#pragma once

// The terminal explorer placed in the main window: the terminal pane's controller on the window's own
// ListView2, Combo3, Toolbar3 and StatusBar4, and the interactive transfer commands on the window's actions.
// It reads the window through its controls and commands, and says what happened through its signals, which the
// assembly connects.

#include "terminal_files/TransferContext.h"
#include "terminal_files/ui/TerminalExplorerView.h"
#include "workspace/CommandState.h"
#include "workspace/ui/MainWindowTransferHost.h"

#include <QObject>
#include <QTimer>
#include <memory>

class QWidget;

namespace jvz {

struct MainWindowControls;
struct SessionRuntimeState;
class FtpClient;
class MBLanguages;
class MainWindowCommands;
class Notifier;
class TerminalListSession;
class TraceBox;
class Wininet;

// The main window's parts the pane works on.
struct TerminalPaneControls {
    QWidget& window; // disabled while a transfer runs; owns the pane's windows
    const MainWindowControls& controls;
    TraceBox& trace;
    const MBLanguages& language;
    MainWindowCommands& commands;
};

class TerminalPane : public QObject {
    Q_OBJECT
public:
    // session: what the terminal list asks of the session.
    TerminalPane(TerminalPaneControls window, const SessionRuntimeState& state, TerminalListSession& session,
                 Notifier& notifier, FtpClient& ftp, Wininet& wininet);
    ~TerminalPane() override;

    TerminalExplorerView& view() { return *m_view; }
    TransferContext& context() { return m_context; }

    // The window's busy state changed: a lost session waits for its end.
    void windowBusyChanged(bool busy);
    // One of the context menu's commands, on the terminal list that has the focus.
    void runListCommand(Command command);

signals:
    void ftpCallRunning(bool running); // an FTP call runs: the window holds its busy state meanwhile
    void ftpSessionLost();             // a call ended the FTP session: the session closes its side

private:
    void closeLostSession();
    void showAllLocalFiles();

    TerminalPaneControls m_window;
    MainWindowTransferHost m_host;
    TransferContext m_context;
    std::unique_ptr<TerminalExplorerView> m_view;
    FtpClient& m_ftp;
    QTimer m_sessionLost;       // closes the window's FTP session once a call ended it
    bool m_lossWaiting = false; // the loss waits for the window to be no longer busy
    QString m_recordAtLoss;     // the run's error record when the call ended the session
};

} // namespace jvz
