#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace diagtest {

// A built program run as a real process in a given working folder, its standard output and error read
// through a pipe. Every wait is bounded; a child still running at destruction is killed.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // stdinFd < 0 gives the child /dev/null as standard input.
    bool start(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
               int stdinFd = -1);

    // Reads output until done(output) holds or the time runs out.
    bool readUntil(const std::function<bool(const std::string&)>& done, std::chrono::milliseconds limit);

    // Reads to the end of the output and reaps the child; false when it has not ended within the limit.
    bool waitForExit(std::chrono::milliseconds limit);

    bool running() const { return m_pid > 0; }
    const std::string& output() const { return m_output; }
    // The exit status as a parent reads it (0..255); -1 when the child did not exit normally.
    int exitStatus() const { return m_status; }

private:
    pid_t m_pid = -1;
    int m_outFd = -1;
    std::string m_output;
    int m_status = -1;
};

// Folder of the built programs.
std::string binDir();

} // namespace diagtest
