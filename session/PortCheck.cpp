#include "PortCheck.h"

#include "PrivatePhonebook.h"
#include "core/BatchErrorCode.h"
#include "core/MBLanguages.h"
#include "platform/FileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

const char* describe(PortCheck check)
{
    switch (check) {
    case PortCheck::DevicePresent:
        return "Port device present";
    case PortCheck::DeviceAccess:
        return "Port readable and writable";
    case PortCheck::PppdUsable:
        return "pppd found";
    case PortCheck::KernelPpp:
        return "Kernel PPP support";
    case PortCheck::PortNotLocked:
        return "Port free";
    }
    return "";
}

const char* remedy(PortCheck check)
{
    switch (check) {
    case PortCheck::DevicePresent:
        return "Plug the terminal in and check its cable or choose its port again.";
    case PortCheck::DeviceAccess:
        return "Add this user to the group that owns the port (usually dialout) then log in again.";
    case PortCheck::PppdUsable:
        return "Install the ppp package: pppd must be on the search path and executable.";
    case PortCheck::KernelPpp:
        return "Load the kernel's PPP support (modprobe ppp_generic) so that /dev/ppp exists.";
    case PortCheck::PortNotLocked:
        return "Close the program that holds the port then connect again.";
    }
    return "";
}

QString traceKey(PortCheck check)
{
    switch (check) {
    case PortCheck::DevicePresent:
        return QStringLiteral("TRC_CheckDevicePresent");
    case PortCheck::DeviceAccess:
        return QStringLiteral("TRC_CheckDeviceAccess");
    case PortCheck::PppdUsable:
        return QStringLiteral("TRC_CheckPppd");
    case PortCheck::KernelPpp:
        return QStringLiteral("TRC_CheckKernelPpp");
    case PortCheck::PortNotLocked:
        return QStringLiteral("TRC_CheckPortLock");
    }
    return {};
}

QString remedyKey(PortCheck check)
{
    return QStringLiteral("MSG_Remedy") + traceKey(check).mid(QStringLiteral("TRC_Check").size());
}

bool LinuxPortCheckSystem::isCharacterDevice(const QString& node)
{
    struct stat st {};
    return ::stat(QFile::encodeName(node).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool LinuxPortCheckSystem::canReadWrite(const QString& node)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(node).constData(), R_OK | W_OK, AT_EACCESS) == 0;
}

QString LinuxPortCheckSystem::findPppd()
{
    return QStandardPaths::findExecutable(QStringLiteral("pppd"));
}

bool LinuxPortCheckSystem::isExecutable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), X_OK, AT_EACCESS) == 0;
}

bool LinuxPortCheckSystem::kernelPppPresent()
{
    return isCharacterDevice(m_pppNode);
}

std::optional<int64_t> LinuxPortCheckSystem::parseLockFile(const QByteArray& bytes)
{
    if (bytes.size() == 4) {
        int32_t binary = 0;
        std::memcpy(&binary, bytes.constData(), 4);
        return binary > 0 ? std::optional<int64_t>(binary) : std::nullopt;
    }
    bool ok = false;
    const int64_t pid = bytes.trimmed().toLongLong(&ok);
    return ok && pid > 0 && pid <= 0x3fffffff ? std::optional<int64_t>(pid) : std::nullopt;
}

QString LinuxPortCheckSystem::lockFileName(const QString& deviceName)
{
    return QStringLiteral("LCK..") + deviceName.section(QLatin1Char('/'), -1);
}

std::optional<int64_t> LinuxPortCheckSystem::lockingProcess(const QString& deviceName)
{
    QFile f;
    if (!openRegularFile(f, m_lockFolder + QLatin1Char('/') + lockFileName(deviceName)))
        return std::nullopt;
    const std::optional<int64_t> pid = parseLockFile(f.read(64));
    if (!pid)
        return std::nullopt;
    // Signal 0 only asks whether the process exists; EPERM means it does, under another user.
    if (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno == EPERM)
        return pid;
    return std::nullopt;
}

std::vector<PortCheckStep> runPortChecks(const QString& port, PortCheckSystem& system)
{
    std::vector<PortCheckStep> steps;
    const QString device = portDeviceName(port);
    const QString node = device.isEmpty() ? QString() : QStringLiteral("/dev/") + device;
    auto step = [&](PortCheck check, bool passed, const QString& detail, PortFinding finding, const QString& subject) {
        steps.push_back({check, passed, detail, finding, subject, std::nullopt});
        return passed;
    };
    if (node.isEmpty()) {
        step(PortCheck::DevicePresent, false, QStringLiteral("'%1' names no serial port").arg(port),
             PortFinding::NoSerialPort, port);
        return steps;
    }
    const bool present = system.isCharacterDevice(node);
    if (!step(PortCheck::DevicePresent, present, node, present ? PortFinding::Found : PortFinding::Missing, node))
        return steps;
    const bool access = system.canReadWrite(node);
    if (!step(PortCheck::DeviceAccess, access, node, access ? PortFinding::ReadWrite : PortFinding::NoAccess, node))
        return steps;
    const QString pppd = system.findPppd();
    if (pppd.isEmpty()) {
        step(PortCheck::PppdUsable, false, QStringLiteral("pppd is not on the search path"), PortFinding::NotOnPath,
             QStringLiteral("pppd"));
        return steps;
    }
    const bool executable = system.isExecutable(pppd);
    if (!step(PortCheck::PppdUsable, executable, pppd, executable ? PortFinding::Found : PortFinding::NotExecutable,
              pppd))
        return steps;
    const QString pppNode = system.kernelPppNode();
    const bool kernel = system.kernelPppPresent();
    if (!step(PortCheck::KernelPpp, kernel, pppNode, kernel ? PortFinding::Found : PortFinding::Missing, pppNode))
        return steps;
    const std::optional<int64_t> holder = system.lockingProcess(device);
    step(PortCheck::PortNotLocked, !holder,
         holder ? QStringLiteral("%1 is locked by process %2").arg(device).arg(*holder) : device,
         holder ? PortFinding::LockedBy : PortFinding::NotLocked, device);
    steps.back().holder = holder;
    return steps;
}

QStringList portCheckStepLines(const PortCheckStep& step, const MBLanguages& language)
{
    const auto text = [](const QString& found, const char* fallback) {
        return found.isEmpty() ? QLatin1String(fallback) : found;
    };
    const QString name = text(language.GetGeneralLabel(traceKey(step.check)), describe(step.check));
    if (step.passed)
        return {name + QStringLiteral(": OK (") + step.detail + QLatin1Char(')')};
    return {name + QStringLiteral(": ") + step.detail,
            text(language.GetFormLabel(remedyKey(step.check)), remedy(step.check)),
            text(language.GetFormLabel(QStringLiteral("MSG_ERR_DuringModemComConfig")),
                 "The port could not be set up for the link.")};
}

namespace {

const QString kInstallerSection = QStringLiteral("FrmConfigComModem");

QString installerText(const MBLanguages& language, const char* key, const char* english)
{
    const QString text = language.GetFormLabel(QLatin1String(key), kInstallerSection);
    return text.isEmpty() ? QLatin1String(english) : text;
}

} // namespace

QString portCheckName(PortCheck check, const MBLanguages& language)
{
    const QString text = language.GetGeneralLabel(traceKey(check));
    return text.isEmpty() ? QLatin1String(describe(check)) : text;
}

QString portCheckResult(const PortCheckStep& step, const MBLanguages& language)
{
    return step.passed ? installerText(language, "MSG_CheckPassed", "Passed")
                       : installerText(language, "MSG_CheckFailed", "Failed");
}

QString portCheckFinding(const PortCheckStep& step, const MBLanguages& language)
{
    const auto after = [&](const char* key, const char* english) {
        return step.subject + QLatin1Char(' ') + installerText(language, key, english);
    };
    switch (step.finding) {
    case PortFinding::Found:
        return step.subject;
    case PortFinding::NoSerialPort:
        return QLatin1Char('\'') + step.subject + QStringLiteral("' ") +
               installerText(language, "MSG_FoundNoSerialPort", "names no serial port");
    case PortFinding::Missing:
        return after("MSG_FoundMissing", "is missing or is not a device");
    case PortFinding::ReadWrite:
        return after("MSG_FoundReadWrite", "can be read and written");
    case PortFinding::NoAccess:
        return after("MSG_FoundNoAccess", "cannot be read and written by this user");
    case PortFinding::NotOnPath:
        return after("MSG_FoundNotOnPath", "is not on the search path");
    case PortFinding::NotExecutable:
        return after("MSG_FoundNotExecutable", "is not executable");
    case PortFinding::NotLocked:
        return after("MSG_FoundNotLocked", "is not locked");
    case PortFinding::LockedBy:
        return after("MSG_FoundLockedBy", "is locked by process") + QLatin1Char(' ') +
               QString::number(step.holder.value_or(0));
    }
    return step.subject;
}

QString portCheckRemedy(PortCheck check, const MBLanguages& language)
{
    const QString text = language.GetFormLabel(remedyKey(check), kInstallerSection);
    return text.isEmpty() ? QLatin1String(remedy(check)) : text;
}

QString portCheckFailureText(const PortCheckStep& step, const MBLanguages& language)
{
    return installerText(language, "MSG_FailedCheck", "Failed check: ") + portCheckName(step.check, language) + kCrLf +
           installerText(language, "MSG_Found", "Found: ") + portCheckFinding(step, language) + kCrLf +
           installerText(language, "MSG_WhatToDo", "What to do: ") + portCheckRemedy(step.check, language);
}

} // namespace jvz
