#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace diagtest {

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_outFd >= 0)
        close(m_outFd);
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
                         int stdinFd)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (auto& a : argv)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int in = stdinFd >= 0 ? stdinFd : open("/dev/null", O_RDONLY);
        if (in < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(pipeFds[1], STDOUT_FILENO) < 0 ||
            dup2(pipeFds[1], STDERR_FILENO) < 0 || chdir(folder.c_str()) != 0)
            _exit(127);
        execv(program.c_str(), argp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    m_pid = pid;
    m_outFd = pipeFds[0];
    return true;
}

bool ChildProcess::readUntil(const std::function<bool(const std::string&)>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done(m_output)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_outFd < 0)
            return false;
        pollfd fd{m_outFd, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char chunk[4096];
        const ssize_t got = read(m_outFd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            close(m_outFd);
            m_outFd = -1;
            return done(m_output);
        }
        m_output.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

bool ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (m_pid <= 0)
        return true;
    // The pipe closes when the child ends; only then is the blocking reap safe.
    readUntil([](const std::string&) { return false; }, limit);
    if (m_outFd >= 0)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, 0) != m_pid)
        return false;
    m_pid = -1;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

std::string binDir()
{
    const char* dir = std::getenv("JVZ_BIN_DIR");
    return dir && *dir ? dir : JVZ_TEST_BIN_DIR;
}

} // namespace diagtest
