#include "ProcessRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace jvz {

namespace {

// Straight system calls: glibc 2.36's pidfd header is not usable from C++.
int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int pidfdSendSignal(int pidfd, int signalNumber)
{
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signalNumber, nullptr, 0));
}

// waitid's id type for a pidfd; glibc 2.36 headers do not name it yet.
constexpr idtype_t kIdPidfd = static_cast<idtype_t>(3);

// Outcome of one non-blocking reap attempt.
enum class Reap {
    Running,
    Ended,
    Lost, // someone else reaped it or the descriptor is unusable
};

Reap tryReap(int pidfd, uint8_t& status)
{
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    int rc;
    do {
        rc = waitid(kIdPidfd, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0)
        return Reap::Lost;
    if (info.si_pid == 0)
        return Reap::Running;
    switch (info.si_code) {
    case CLD_EXITED:
        status = static_cast<uint8_t>(info.si_status & 0xff);
        break;
    default: // killed or dumped: the shell's convention
        status = static_cast<uint8_t>((128 + info.si_status) & 0xff);
        break;
    }
    return Reap::Ended;
}

// Children whose owner went away while they ran. Each is reaped when it ends.
struct Orphan {
    int pidfd;
    QSocketNotifier* notifier;
};

std::mutex g_orphanMutex;
std::vector<Orphan> g_orphans;

void reapOrphanFd(int pidfd)
{
    std::lock_guard lock(g_orphanMutex);
    for (auto it = g_orphans.begin(); it != g_orphans.end(); ++it) {
        if (it->pidfd != pidfd)
            continue;
        uint8_t status = 0;
        if (tryReap(pidfd, status) == Reap::Running)
            return;
        if (it->notifier)
            it->notifier->deleteLater();
        ::close(pidfd);
        g_orphans.erase(it);
        return;
    }
}

void adoptOrphan(int pidfd)
{
    QSocketNotifier* notifier = nullptr;
    // Event-driven reaping needs an event loop on this thread; otherwise the next start or sweep reaps it.
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [pidfd] { reapOrphanFd(pidfd); });
    }
    std::lock_guard lock(g_orphanMutex);
    g_orphans.push_back({pidfd, notifier});
}

class PosixChild : public ChildProcess {
public:
    PosixChild(pid_t pid, int pidfd, bool groupLeader) : m_pid(pid), m_pidfd(pidfd), m_groupLeader(groupLeader) {}

    ~PosixChild() override
    {
        if (m_pidfd < 0)
            return;
        if (!m_ended && isRunning()) {
            adoptOrphan(m_pidfd); // left running, as callers expect; reaped later
            return;
        }
        ::close(m_pidfd);
    }

    int64_t pid() const override { return m_pid; }

    bool isRunning() override
    {
        if (m_ended)
            return false;
        uint8_t status = 0;
        switch (tryReap(m_pidfd, status)) {
        case Reap::Running:
            return true;
        case Reap::Ended:
            m_status = status;
            m_ended = true;
            return false;
        case Reap::Lost:
            m_ended = true;
            return false;
        }
        return false;
    }

    std::optional<uint8_t> exitStatus() override
    {
        isRunning();
        return m_status;
    }

    bool waitForEnd(int timeoutMs) override
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        while (isRunning()) {
            int wait = -1;
            if (timeoutMs >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return false;
                wait = static_cast<int>(left.count());
            }
            pollfd p{m_pidfd, POLLIN, 0};
            if (::poll(&p, 1, wait) < 0 && errno != EINTR)
                return !isRunning();
        }
        return true;
    }

    int endNotifyFd() const override { return m_ended ? -1 : m_pidfd; }

    bool sendSignal(int signalNumber, SignalTarget target) override
    {
        if (!isRunning())
            return false; // never signal a pid that may have been reused
        switch (target) {
        case SignalTarget::Process:
            return pidfdSendSignal(m_pidfd, signalNumber) == 0;
        case SignalTarget::Group:
            // Only a group we created: otherwise the group is our own.
            return m_groupLeader && ::kill(-m_pid, signalNumber) == 0;
        }
        return false;
    }

private:
    pid_t m_pid;
    int m_pidfd;
    bool m_groupLeader;
    bool m_ended = false;
    std::optional<uint8_t> m_status;
};

} // namespace

int PosixProcessRunner::pendingOrphans()
{
    std::lock_guard lock(g_orphanMutex);
    return static_cast<int>(g_orphans.size());
}

void PosixProcessRunner::reapOrphans()
{
    std::vector<int> fds;
    {
        std::lock_guard lock(g_orphanMutex);
        for (const Orphan& o : g_orphans)
            fds.push_back(o.pidfd);
    }
    for (int fd : fds)
        reapOrphanFd(fd);
}

std::unique_ptr<ChildProcess> PosixProcessRunner::start(const ProcessSpec& spec, QString* error)
{
    reapOrphans();
    auto fail = [error](const QString& why) -> std::unique_ptr<ChildProcess> {
        if (error)
            *error = why;
        return nullptr;
    };
    if (spec.program.isEmpty())
        return fail(QStringLiteral("no program given"));

    const QByteArray program = QFile::encodeName(spec.program);
    std::vector<QByteArray> argBytes;
    argBytes.push_back(program);
    for (const QString& a : spec.arguments)
        argBytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const QByteArray cwd = QFile::encodeName(spec.workingDirectory);
    if (!spec.workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.constData());

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    sigset_t empty;
    sigemptyset(&empty);
    posix_spawnattr_setsigmask(&attr, &empty);
    // The child starts with default handling of what a GUI program may ignore or catch.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    if (spec.ownProcessGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attr, 0);
    }
    posix_spawnattr_setflags(&attr, flags);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.constData(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return fail(QString::fromLocal8Bit(std::strerror(rc)));

    const int pidfd = pidfdOpen(pid);
    if (pidfd < 0) {
        // Without a pidfd the child cannot be followed safely; wait for it so it leaves no zombie.
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::kill(pid, SIGKILL);
        int st = 0;
        ::waitpid(pid, &st, 0);
        return fail(why);
    }
    ::fcntl(pidfd, F_SETFD, FD_CLOEXEC);
    return std::make_unique<PosixChild>(pid, pidfd, spec.ownProcessGroup);
}

} // namespace jvz
