#pragma once

// The main window as the program runs it, built in one place: the program's windows library builds it through
// this, and so do the window tests, which give stand-ins for what sits behind platform/ and for the terminal.

#include "workspace/ui/frmMainJVZ.h"

#include <QString>
#include <functional>
#include <memory>

class QComboBox;

namespace jvz {

struct AppState;
struct RuntimeTimings;
class Clock;
class DialUpLink;
class FtpClient;
class Notifier;
class ProcessRunner;
class ProgramConnect;
class ProgramTransfers;
class RasFunctions;
class SerialPortInventory;
class SessionTransport;
class UserSettingsStore;
class VolumeSource;

// What the window reaches of the system: the program gives the real ones, tests their stand-ins. Each must
// outlive the assembly.
struct WindowPlatform {
    Notifier& notifier;
    UserSettingsStore& userStore;
    FtpClient& ftp;
    SessionTransport& transport; // the terminal's session socket
    Clock& clock;
    ProcessRunner& runner; // companion programs, the child program
    SerialPortInventory& ports;
    RasFunctions& ras;               // the dial-up functions over the link below
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
};

// What the window calls outside itself: the end of the run and the run's progress window.
struct WindowHooks {
    frmMainJVZ::Hooks window;
    std::function<void(const QString&)> progressComment;
};

class WindowAssembly {
public:
    // Built once the settings and the language are read; start-up then labels it (init) and shows it.
    WindowAssembly(AppState& state, WindowPlatform platform, WindowHooks hooks, const RuntimeTimings& timings);
    ~WindowAssembly();
    WindowAssembly(const WindowAssembly&) = delete;
    WindowAssembly& operator=(const WindowAssembly&) = delete;

    frmMainJVZ& window() { return *m_window; }
    ProgramTransfers& transfers() { return *m_transfers; }

private:
    void fillConnectionList(QComboBox& combo);

    AppState& m_state;
    WindowPlatform m_platform;
    std::unique_ptr<frmMainJVZ> m_window;
    std::unique_ptr<ProgramTransfers> m_transfers; // the session's batch actions
    std::unique_ptr<ProgramConnect> m_connect;     // the window's connect sequence
};

} // namespace jvz
