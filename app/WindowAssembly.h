#pragma once

// The main window as the program runs it, built in one place: the program's windows library builds it through
// this, and so do the window tests, which give stand-ins for what sits behind platform/ and for the terminal.

#include "workspace/ui/frmMainJVZ.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;

namespace jvz {

struct AppState;
struct RuntimeTimings;
class Clock;
class DialUpLink;
class FileOpenCommands;
class FtpClient;
class LinkMenus;
class MainSessionWindow;
class Notifier;
class PortCheckSystem;
class ProcessRunner;
class ProgramConnect;
class ProgramTransfers;
class RasFunctions;
class SerialPortInventory;
class SessionRuntime;
class SessionTransport;
class SessionWindow;
class StopSignals;
class TerminalPane;
class UserSettingsStore;
class VolumeSource;

// What the window reaches of the system: the program gives the real ones, tests their stand-ins. Each must
// outlive the assembly.
struct WindowServices {
    Notifier& notifier;
    UserSettingsStore& userStore;
    FtpClient& ftp;
    SessionTransport& transport; // the terminal's session socket
    Clock& clock;
    ProcessRunner& runner; // companion programs, the child program
    SerialPortInventory& ports;
    RasFunctions& ras;               // the dial-up functions over the link below
    PortCheckSystem& portCheck;      // what the port checks ask of the machine
    DialUpLink* dialUp = nullptr;    // the session's dial-up link; none on a network-only run
    VolumeSource* volumes = nullptr; // the drives the local explorer and the favourites see; null: the system's
    // The link's set-up on Connect; empty for the program's own sequence (ports, phonebook, dial). A test
    // that plays a calling terminal without a link only opens the session socket here.
    std::function<void(bool modemSetupDone)> connectSequence;
    // Opens a document with the desktop's program for it; empty for the desktop's own.
    std::function<bool(const QString& path)> openDocument{};
    // Creates a folder with its parents; empty for the file system's own.
    std::function<bool(const QString& path)> makeFolder{};
    // Runs before each folder read of the local explorer, on the read's thread; empty for none. Tests hold a
    // read there, as a hung network mount would.
    FolderReadHook folderReadHook{};
    // SIGINT, SIGTERM, SIGHUP as the program learns of them; null: the signals end the process.
    StopSignals* stopSignals = nullptr;
};

// What the window calls outside itself: the end of the run and the run's progress window.
struct WindowHooks {
    frmMainJVZ::Hooks window;
    std::function<void(const QString&)> progressComment;
};

// The window and what works on it: the session on its adapter over the window's controls, the terminal pane,
// the transfers, the connect sequence, the link menus and the file commands. Each is built once, after what it
// uses, and goes before it. The window reaches the session only through its signals, connected in one table
// (connectWindow).
class WindowAssembly {
public:
    // Built once the settings and the language are read; start-up then labels it (init) and shows it.
    WindowAssembly(AppState& state, WindowServices platform, WindowHooks hooks, const RuntimeTimings& timings);
    ~WindowAssembly();
    WindowAssembly(const WindowAssembly&) = delete;
    WindowAssembly& operator=(const WindowAssembly&) = delete;

    frmMainJVZ& window() { return *m_window; }
    // The session: socket events, timers, FTP session and disconnect.
    SessionRuntime& session() { return *m_session; }
    SessionWindow& sessionWindow();
    TerminalPane& terminalPane() { return *m_terminalPane; }
    FileOpenCommands& fileCommands() { return *m_fileCommands; }
    ProgramTransfers& transfers() { return *m_transfers; }

private:
    void fillConnectionList(QComboBox& combo);
    void wireLinkMenus();
    void buildFileCommands();
    // The table of what the window, the session's adapter, the terminal pane and the file commands say happened,
    // and what answers each.
    void connectWindow();

    AppState& m_state;
    WindowServices m_platform;
    std::unique_ptr<frmMainJVZ> m_window;
    std::unique_ptr<MainSessionWindow> m_sessionWindow; // the window as the session sees it
    std::unique_ptr<SessionRuntime> m_session;
    std::unique_ptr<ProgramTransfers> m_transfers; // the session's batch actions
    std::unique_ptr<TerminalPane> m_terminalPane;
    std::unique_ptr<ProgramConnect> m_connect; // the window's connect sequence
    std::unique_ptr<LinkMenus> m_linkMenus;    // the Connection menu's configuration and port check
    std::unique_ptr<FileOpenCommands> m_fileCommands;
    // Held while an FTP call, a terminal transfer or a companion program runs: the window is busy meanwhile.
    std::optional<BusyScope> m_callBusy;
    std::optional<BusyScope> m_terminalBusy;
    std::optional<BusyScope> m_companionBusy;
};

} // namespace jvz
