#include "MBApplications.h"

#include "platform/NestedWait.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace jvz {

MBApplications::MBApplications(ProcessRunner& runner, Notifier* notifier) : m_runner(runner), m_notifier(notifier) {}

// The held child, if any, is handed to the runner's reaper and goes on running.
MBApplications::~MBApplications() = default;

bool MBApplications::AppLaunch(const QString& program, const QStringList& arguments, ShowMode showMode)
{
    m_status = StatusOk;
    if (m_waiting) { // called from an event handled inside our own wait
        m_status = StatusNoProcess;
        return false;
    }
    ProcessSpec spec;
    spec.program = program;
    spec.arguments = arguments;
    spec.show = showMode;
    m_lastError.clear();
    auto child = m_runner.start(spec, &m_lastError);
    if (!child) {
        m_status = StatusNoProcess;
        return false;
    }
    m_child = std::move(child);
    m_forcedExitCode.reset();
    return true;
}

bool MBApplications::AppIsRunning()
{
    m_status = StatusOk;
    if (!m_child) {
        m_status = StatusNoProcess;
        return false;
    }
    if (m_child->isRunning())
        return true;
    if (!m_forcedExitCode && !m_child->exitStatus())
        m_status = StatusNoExitCode;
    return false;
}

bool MBApplications::AppGetExitCode(int8_t& exitCode)
{
    m_status = StatusOk;
    if (!m_child) {
        m_status = StatusNoProcess;
        return false;
    }
    if (m_child->isRunning())
        return false;
    if (m_forcedExitCode) {
        exitCode = *m_forcedExitCode;
        return true;
    }
    const auto code = m_child->exitStatus();
    if (!code) {
        m_status = StatusNoExitCode;
        return false;
    }
    exitCode = static_cast<int8_t>(*code);
    return true;
}

bool MBApplications::AppWaitEnd(int timeoutMs)
{
    m_status = StatusOk;
    if (!m_child) {
        m_status = StatusNoProcess;
        return false;
    }
    if (m_waiting)
        return false;
    return waitHandlingEvents(*m_child, timeoutMs);
}

bool MBApplications::AppTerminate(int16_t exitCode)
{
    if (!m_child) {
        m_status = StatusNoProcess;
        return false;
    }
    if (!m_child->sendSignal(SIGKILL, SignalTarget::Process))
        return false;
    // Like the platform call it stands for, the end is immediate and the code is the caller's.
    m_child->waitForEnd(-1);
    m_forcedExitCode = static_cast<int8_t>(exitCode);
    return true;
}

int64_t MBApplications::GetHProcess() const
{
    return m_child ? m_child->pid() : 0;
}

void MBApplications::start(const QString& program, const QStringList& arguments)
{
    if (m_waiting)
        return;
    ProcessSpec spec;
    spec.program = program;
    spec.arguments = arguments;
    QString error;
    auto child = m_runner.start(spec, &error);
    if (!child) {
        // Never wait on a child that was not created.
        const bool notFound = error == QString::fromLocal8Bit(std::strerror(ENOENT));
        const QString detail = notFound ? error : QStringLiteral("Close one or more applications and try again... ");
        if (m_notifier)
            m_notifier->message(QStringLiteral("Cannot execute application \r\n") + detail, QString(),
                                MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    WaitEndAppli(std::move(child));
}

void MBApplications::WaitEndAppli(std::unique_ptr<ChildProcess> child)
{
    if (child)
        waitHandlingEvents(*child, -1);
}

bool MBApplications::waitHandlingEvents(ChildProcess& child, int timeoutMs)
{
    if (!QCoreApplication::instance())
        return child.waitForEnd(timeoutMs);
    m_waiting = true;
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    // Sleep in the event loop until the child ends, instead of spinning on a zero time-out poll.
    while (child.isRunning() && !deadline.hasExpired()) {
        const int fd = child.endNotifyFd();
        if (fd < 0)
            break;
        QSocketNotifier ended(fd, QSocketNotifier::Read);
        const int boundMs = deadline.isForever() ? -1 : static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
        NestedWait(WaitKind::NestedLoop, boundMs).endsOn(&ended, &QSocketNotifier::activated).run();
    }
    m_waiting = false;
    return !child.isRunning();
}

} // namespace jvz
