#pragma once

// What the windowed program and the unattended run without windows have alike: the start-up, the dial-up
// functions, the instance lock, the port list and the end of the process.

#include "core/RuntimeTimings.h"
#include "core/Startup.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessRunner.h"
#include "platform/SerialPortInventory.h"

#include <QString>
#include <memory>

namespace jvz {

struct AppState;
class FileWriter;
class MbFileIni;
class Notifier;
class PppDialer;
class RasFunctions;
class UserSettingsStore;

class ProgramHostBase : public StartupHost {
public:
    ~ProgramHostBase() override;

    // The serial ports usable for the link, into the program-wide list.
    void FindModemPorts() override;
    // A lock that cannot be opened lets the run go on (reported on standard error) rather than refuse every start.
    bool isAnotherInstanceRunning() override;
    // Leaves the event loop without closing any window; before the loop runs, Main reports the end instead.
    void endProgram() override;

protected:
    ProgramHostBase(AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                    const QString& executablePath, std::unique_ptr<Notifier> notifier, const RuntimeTimings& timings);

    // The dial wait from the settings, which are read by the time the main window is first used.
    void applyDialSettings(const MbFileIni& ini);

    AppState& m_state;
    QString m_executablePath;
    RuntimeTimings m_timings; // every wait of the run
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<Startup> m_startup;
    SteadyClock m_clock;
    InstanceLock m_instanceLock;
    UdevSerialPortInventory m_machinePorts;
    // scripts/demo names its simulated terminal's pty in JVZ_DEMO_PORT: it is listed with the machine's ports.
    std::unique_ptr<SerialPortInventory> m_demoPorts;
    SerialPortInventory& m_ports;
    PosixProcessRunner m_runner;
    std::unique_ptr<PppDialer> m_dialer; // dropping it at the end of the run hangs up
    std::unique_ptr<RasFunctions> m_ras;
};

} // namespace jvz
