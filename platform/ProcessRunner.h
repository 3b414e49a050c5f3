#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace jvz {

// How a started program should appear. Console companions run hidden, tools the user works in run normal.
// On Linux a program opens its own windows or none, so the mode is carried for the callers' sake only.
enum class ShowMode : int32_t {
    Hidden = 0,
    Normal = 1,
};

// Whether a signal goes to the child alone or to the process group it leads.
enum class SignalTarget {
    Process,
    Group,
};

struct ProcessSpec {
    QString program; // a path, or a bare name looked up on PATH
    QStringList arguments;
    QString workingDirectory; // empty: the caller's current folder
    ShowMode show = ShowMode::Hidden;
    bool ownProcessGroup = false; // lead a new process group, so a whole tree can be signalled
};

// One started child. Dropping the object never stops the child: one still running is handed to a
// reaper, so it neither dies with us nor stays a zombie once it ends.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;

    virtual int64_t pid() const = 0;
    // Polls without blocking; reaps the child as soon as it has ended.
    virtual bool isRunning() = 0;
    // The 8-bit exit status once the child has ended (128 + signal number for a child killed by a signal).
    virtual std::optional<uint8_t> exitStatus() = 0;
    // Blocks until the child ends or the time runs out (-1: no limit). Returns true when it has ended.
    virtual bool waitForEnd(int timeoutMs) = 0;
    // A descriptor that becomes readable when the child ends, for an event loop to watch; -1 when none.
    virtual int endNotifyFd() const = 0;
    virtual bool sendSignal(int signalNumber, SignalTarget target) = 0;
};

class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Starts the program with its argument list (never through a shell). On failure returns null and,
    // when error is given, the system's reason.
    virtual std::unique_ptr<ChildProcess> start(const ProcessSpec& spec, QString* error = nullptr) = 0;
};

// The real runner: posix_spawn, a pidfd per child, standard input from /dev/null.
class PosixProcessRunner : public ProcessRunner {
public:
    std::unique_ptr<ChildProcess> start(const ProcessSpec& spec, QString* error = nullptr) override;

    // Children handed over by dropped ChildProcess objects and not yet reaped (for tests and diagnostics).
    static int pendingOrphans();
    // Reaps whichever handed-over children have ended; also runs from the event loop when there is one.
    static void reapOrphans();
};

} // namespace jvz
