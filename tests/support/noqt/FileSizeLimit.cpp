#include "FileSizeLimit.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace jvztest {

int runWithFileSizeLimit(long limitBytes, const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = rlim_t(limitBytes);
        limit.rlim_max = rlim_t(limitBytes);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(254);
        _exit(body() & 0xFF);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace jvztest
