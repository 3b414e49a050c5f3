#pragma once

// What the windowed program and the unattended run without windows have alike: the real adapters of a run,
// the instance lock and the waits. Each host owns one, built with the host, and starts up on it.

#include "core/RuntimeTimings.h"
#include "core/Startup.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessRunner.h"
#include "platform/SerialPortInventory.h"
#include "platform/StopSignals.h"
#include "session/PortCheck.h"
#include "session/TcpSessionTransport.h"

#include <QString>
#include <functional>
#include <memory>

namespace jvz {

struct AppState;
struct BatchRun;
class FileWriter;
class MbFileIni;
class Notifier;
class PppDialer;
class RasFunctions;
class SessionRuntime;
class UserSettingsStore;

struct ProgramServices {
    // runNotifier: message boxes for the windowed program, standard error for the unattended run.
    ProgramServices(const QString& programFile, std::unique_ptr<Notifier> runNotifier,
                    const RuntimeTimings& runTimings);
    ~ProgramServices();
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    // The serial ports usable for the link, into the program-wide list.
    void findModemPorts(AppState& state);
    // A lock that cannot be opened lets the run go on (reported on standard error) rather than refuse every start.
    bool isAnotherInstanceRunning();
    // The dial wait from the settings, which are read by the time the main window is first used.
    void applyDialSettings(const MbFileIni& ini);

    QString executablePath;
    RuntimeTimings timings; // every wait of the run
    std::unique_ptr<Notifier> notifier;
    SteadyClock clock;
    InstanceLock instanceLock;
    UdevSerialPortInventory machinePorts;
    // scripts/demo names its simulated terminal's pty in JVZ_DEMO_PORT: it is listed with the machine's ports.
    std::unique_ptr<SerialPortInventory> demoPorts;
    SerialPortInventory& ports;
    LinuxPortCheckSystem portCheck;
    PosixProcessRunner runner;
    std::unique_ptr<PppDialer> dialer; // dropping it at the end of the run hangs up
    std::unique_ptr<RasFunctions> ras;
    // The session and the transfers use these: they outlive both.
    CurlFtpClient ftp;
    TcpSessionTransport transport;
    StopSignals stopSignals; // SIGINT, SIGTERM, SIGHUP: the run ends in order
};

// A stop signal: the FTP call under way is broken off and the transfers start no other file; an unattended run
// then ends as cancelled, the window's program quits as its Yes does (quitWindow).
void answerStopSignal(int signal, BatchRun& batch, FtpClient& ftp, SessionRuntime& session,
                      const std::function<void()>& quitWindow);

// The exit status of a run that is over (its host and application gone): one stopped by a signal ends by that
// signal, with its default disposition, so the parent learns how it ended; any other returns status.
int endOfRun(const BatchRun& batch, int status);

// The start-up of a host's run: it fills the program-wide state and reaches the host's windows and end.
Startup makeStartup(StartupHost& host, AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                    ProgramServices& services);

} // namespace jvz
