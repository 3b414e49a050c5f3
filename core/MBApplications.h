#pragma once

#include "platform/ProcessRunner.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace jvz {

class Notifier;

// Starts one other program at a time and follows it to its end while window events keep being handled.
// Dropping the object (or launching again) lets go of the child without stopping it.
class MBApplications {
public:
    // Status left by the last operation, in place of the program's error number.
    enum Status : int {
        StatusOk = 0,
        StatusNoProcess = 1,  // no child held, or the launch failed
        StatusNoExitCode = 2, // the exit code could not be read
    };

    // The runner reaches the system; the notifier shows the failure box of start() (none when null).
    explicit MBApplications(ProcessRunner& runner, Notifier* notifier = nullptr);
    ~MBApplications();
    MBApplications(const MBApplications&) = delete;
    MBApplications& operator=(const MBApplications&) = delete;

    // Starts the program and holds it. False (status 1) when it cannot be started; no message is shown.
    bool AppLaunch(const QString& program, const QStringList& arguments, ShowMode showMode);
    bool AppIsRunning();
    // True once the child has ended, with its exit code as a signed byte (a child's -1 reads -1).
    bool AppGetExitCode(int8_t& exitCode);
    // Waits, handling window events, until the child ends or the bound runs out (-1: no bound).
    // Returns true when the child has ended.
    bool AppWaitEnd(int timeoutMs = -1);
    // Ends the held child at once; its exit code then reads as the given one.
    bool AppTerminate(int16_t exitCode);
    // The held child's process id, 0 when none.
    int64_t GetHProcess() const;

    // Starts the program and waits, handling window events, until it ends; nothing is held afterwards.
    // A program that cannot be started is reported in a box.
    void start(const QString& program, const QStringList& arguments);
    // Waits for the given child, handling window events, then lets go of it.
    void WaitEndAppli(std::unique_ptr<ChildProcess> child);

    int status() const { return m_status; }
    // Error text of the last failed launch.
    const QString& lastError() const { return m_lastError; }

private:
    bool waitHandlingEvents(ChildProcess& child, int timeoutMs);

    ProcessRunner& m_runner;
    Notifier* m_notifier;
    std::unique_ptr<ChildProcess> m_child;
    std::optional<int8_t> m_forcedExitCode;
    int m_status = StatusOk;
    QString m_lastError;
    bool m_waiting = false;
};

} // namespace jvz
