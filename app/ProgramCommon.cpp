#include "ProgramCommon.h"

#include "core/AppState.h"
#include "core/MbFileIni.h"
#include "core/PerUserFolder.h"
#include "platform/InstanceLock.h"
#include "platform/PppDialer.h"
#include "session/PrivatePhonebook.h"
#include "session/RasFunctions.h"

#include <QFileInfo>
#include <cstdio>

namespace jvz {

bool anotherInstanceRunning(InstanceLock& lock, const QString& executablePath)
{
    const QString name = QFileInfo(executablePath).completeBaseName();
    const QString path = GetAppDataDir() + name + QStringLiteral(".lock");
    switch (lock.acquire(path)) {
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

void findModemPorts(AppState& state, SerialPortInventory& ports)
{
    PrivatePhonebook phonebook(state.settings.gProgramFolder, ports);
    phonebook.FindModemPorts();
    state.link.gModemPorts = phonebook.gModemPorts;
}

void applyDialSettings(PppDialer& dialer, const MbFileIni& ini)
{
    PppDialerTimes times = dialer.times();
    times.dialTimeoutMs = dialTimeoutMs(ini);
    dialer.setTimes(times);
}

} // namespace jvz
