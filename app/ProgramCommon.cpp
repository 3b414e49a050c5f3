#include "ProgramCommon.h"

#include "core/AppState.h"
#include "core/MbFileIni.h"
#include "core/PerUserFolder.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"
#include "session/PrivatePhonebook.h"
#include "session/RasFunctions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace jvz {

ProgramHostBase::ProgramHostBase(AppState& state, const UserSettingsStore& userStore, FileWriter& writer,
                                 const QString& executablePath, std::unique_ptr<Notifier> notifier,
                                 const RuntimeTimings& timings)
    : m_state(state), m_executablePath(executablePath), m_timings(timings), m_notifier(std::move(notifier)),
      m_demoPorts(qEnvironmentVariableIsSet("JVZ_DEMO_PORT")
                      ? std::make_unique<WithStandInPort>(m_machinePorts, qgetenv("JVZ_DEMO_PORT").toStdString())
                      : nullptr),
      m_ports(m_demoPorts ? *m_demoPorts : static_cast<SerialPortInventory&>(m_machinePorts))
{
    m_startup = std::make_unique<Startup>(
        StartupState{m_state.settings, m_state.batch, m_state.session, m_state.ui.gLanguage, userStore, writer}, *this,
        *m_notifier, executablePath, m_timings.quitMessageMs);
    m_dialer = std::make_unique<PppDialer>(m_runner, GetAppDataDir(), m_timings.ppp);
    m_ras = std::make_unique<RasFunctions>(*m_dialer, *m_notifier, QFileInfo(executablePath).absolutePath());
}

ProgramHostBase::~ProgramHostBase() = default;

void ProgramHostBase::FindModemPorts()
{
    PrivatePhonebook phonebook(m_state.settings.gProgramFolder, m_ports);
    phonebook.FindModemPorts();
    m_state.link.gModemPorts = phonebook.gModemPorts;
}

bool ProgramHostBase::isAnotherInstanceRunning()
{
    const QString name = QFileInfo(m_executablePath).completeBaseName();
    const QString path = GetAppDataDir() + name + QStringLiteral(".lock");
    switch (m_instanceLock.acquire(path)) {
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

void ProgramHostBase::endProgram()
{
    QCoreApplication::exit(0);
}

void ProgramHostBase::applyDialSettings(const MbFileIni& ini)
{
    PppDialerTimes times = m_dialer->times();
    times.dialTimeoutMs = dialTimeoutMs(ini);
    m_dialer->setTimes(times);
}

} // namespace jvz
