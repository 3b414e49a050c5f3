#include "SignalCleanup.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace jvzio {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// Fixed buffers: the handler may not allocate. A slot's path is written before it is marked used, and marked
// unused before it is written again.
constexpr std::size_t kFileSlots = 16;
struct FileSlot {
    std::atomic<int> used{0};
    char path[PATH_MAX] = {};
};
std::array<FileSlot, kFileSlots> g_files;

constexpr std::size_t kGroupSlots = 4;
std::array<std::atomic<pid_t>, kGroupSlots> g_groups{};

// Writers of the lists, on any thread; the handler takes no lock.
std::mutex g_listLock;

// Made once and never closed, so a handler running while the stop is disarmed never writes into a descriptor
// that was reused meanwhile.
std::atomic<int> g_stopPipeWrite{-1};
std::atomic<int> g_stopPipeRead{-1};
std::atomic<bool> g_stopArmed{false};
std::atomic<int> g_stopSignal{0};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free,
              "the signal handler reads these");

void cleanUpAndDie(int signal)
{
    for (FileSlot& slot : g_files) {
        if (slot.used.load())
            ::unlink(slot.path);
    }
    for (const std::atomic<pid_t>& group : g_groups) {
        if (const pid_t g = group.load(); g > 0)
            ::kill(-g, SIGTERM);
    }
    endAsSignalled(signal);
}

void onSignal(int signal)
{
    const int savedErrno = errno;
    const int pipe = g_stopPipeWrite.load();
    int expected = 0;
    if (pipe >= 0 && g_stopArmed.load() && g_stopSignal.compare_exchange_strong(expected, signal)) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        (void)!::write(pipe, &byte, 1);
        errno = savedErrno;
        return;
    }
    cleanUpAndDie(signal);
}

} // namespace

void rememberTemporary(const char* path)
{
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return;
    const std::lock_guard lock(g_listLock);
    for (FileSlot& slot : g_files) {
        if (!slot.used.load()) {
            std::memcpy(slot.path, path, length + 1);
            slot.used.store(1);
            return;
        }
    }
}

void forgetTemporary(const char* path)
{
    const std::lock_guard lock(g_listLock);
    for (FileSlot& slot : g_files) {
        if (slot.used.load() && std::strcmp(path, slot.path) == 0) {
            slot.used.store(0);
            return;
        }
    }
}

void rememberChildGroup(pid_t group)
{
    if (group <= 0)
        return;
    const std::lock_guard lock(g_listLock);
    for (std::atomic<pid_t>& slot : g_groups) {
        if (slot.load() == 0) {
            slot.store(group);
            return;
        }
    }
}

void forgetChildGroup(pid_t group)
{
    const std::lock_guard lock(g_listLock);
    for (std::atomic<pid_t>& slot : g_groups) {
        if (slot.load() == group)
            slot.store(0);
    }
}

void installSignalCleanup()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int s : kSignals) {
            struct sigaction old {};
            ::sigaction(s, nullptr, &old);
            if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler != SIG_DFL)
                continue;
            struct sigaction act {};
            act.sa_handler = &onSignal;
            sigemptyset(&act.sa_mask);
            // One handler at a time: a second signal waits until the first one's byte is written.
            for (int other : kSignals)
                sigaddset(&act.sa_mask, other);
            act.sa_flags = SA_RESTART;
            ::sigaction(s, &act, nullptr);
        }
    });
}

int armOrderlyStop()
{
    installSignalCleanup();
    static std::once_flag once;
    std::call_once(once, [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        g_stopPipeRead.store(fds[0]);
        g_stopPipeWrite.store(fds[1]);
    });
    g_stopSignal.store(0);
    g_stopArmed.store(true);
    return g_stopPipeRead.load();
}

void disarmOrderlyStop()
{
    // From now on a signal ends the process; what an earlier one wrote is read away.
    g_stopArmed.store(false);
    if (const int fd = g_stopPipeRead.load(); fd >= 0) {
        unsigned char byte;
        while (::read(fd, &byte, 1) == 1) {
        }
    }
    g_stopSignal.store(0);
}

int orderlyStopSignal()
{
    return g_stopSignal.load();
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal";
    }
}

void endAsSignalled(int signal)
{
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(signal, &dfl, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
}

} // namespace jvzio
