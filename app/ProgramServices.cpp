#include "ProgramServices.h"

#include "core/AppState.h"
#include "core/MbFileIni.h"
#include "core/PerUserFolder.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"
#include "platform/posix/SignalCleanup.h"
#include "session/PrivatePhonebook.h"
#include "session/RasFunctions.h"
#include "session/SessionRuntime.h"

#include <QFileInfo>
#include <cstdio>

namespace jvz {

namespace {

// The demo's stand-in pppd carries the link over the demo terminal's pty alone and needs no kernel PPP: the pty
// stands for its node there.
QString kernelPppNode(const QString& demoPort)
{
    if (demoPort.isEmpty())
        return QStringLiteral("/dev/ppp");
    return demoPort.startsWith(QLatin1Char('/')) ? demoPort : QStringLiteral("/dev/") + demoPort;
}

} // namespace

ProgramServices::ProgramServices(const QString& programFile, std::unique_ptr<Notifier> runNotifier,
                                 const RuntimeTimings& runTimings)
    : executablePath(programFile), timings(runTimings), notifier(std::move(runNotifier)),
      demoPorts(qEnvironmentVariableIsSet("JVZ_DEMO_PORT")
                    ? std::make_unique<WithStandInPort>(machinePorts, qgetenv("JVZ_DEMO_PORT").toStdString())
                    : nullptr),
      ports(demoPorts ? *demoPorts : static_cast<SerialPortInventory&>(machinePorts)),
      portCheck(QStringLiteral("/var/lock"), kernelPppNode(qEnvironmentVariable("JVZ_DEMO_PORT"))),
      dialer(std::make_unique<PppDialer>(runner, GetAppDataDir(), timings.ppp)),
      ras(std::make_unique<RasFunctions>(*dialer, *notifier, QFileInfo(executablePath).absolutePath())),
      ftp(timings.ftp), transport(timings.socketLingerMs)
{
}

ProgramServices::~ProgramServices() = default;

int endOfRun(const BatchRun& batch, int status)
{
    if (batch.stopSignal != 0)
        jvzio::endAsSignalled(batch.stopSignal);
    return status;
}

void answerStopSignal(int signal, BatchRun& batch, FtpClient& ftp, SessionRuntime& session,
                      const std::function<void()>& quitWindow)
{
    batch.stopSignal = signal;
    ftp.breakOffCall();
    if (batch.gBatchMode)
        session.StopRun(QString::fromLatin1(jvzio::signalName(signal)));
    else if (quitWindow)
        quitWindow();
}

void ProgramServices::findModemPorts(AppState& state)
{
    PrivatePhonebook phonebook(state.settings.gProgramFolder, ports);
    phonebook.FindModemPorts();
    state.link.gModemPorts = phonebook.gModemPorts;
}

bool ProgramServices::isAnotherInstanceRunning()
{
    const QString name = QFileInfo(executablePath).completeBaseName();
    const QString path = GetAppDataDir() + name + QStringLiteral(".lock");
    switch (instanceLock.acquire(path)) {
    case InstanceLock::Result::Acquired:
        return false;
    case InstanceLock::Result::HeldElsewhere:
        return true;
    case InstanceLock::Result::Unavailable:
        std::fprintf(stderr, "cannot open the instance lock %s\n", qPrintable(path));
        return false;
    }
    return false;
}

void ProgramServices::applyDialSettings(const MbFileIni& ini)
{
    PppDialerTimes times = dialer->times();
    times.dialTimeoutMs = dialTimeoutMs(ini);
    dialer->setTimes(times);
}

Startup makeStartup(StartupHost& host, AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                    ProgramServices& services)
{
    return Startup(StartupState{.settings = state.settings,
                                .batch = state.batch,
                                .session = state.session,
                                .language = state.ui.gLanguage,
                                .userStore = userStore,
                                .writer = writer},
                   host, *services.notifier, services.executablePath, services.timings.quitMessageMs);
}

} // namespace jvz
