#include "SpecialFiles.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace jvztest {

bool makeFifo(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0600) == 0;
}

bool makeCharDevice(const std::string& path, CharDevice kind)
{
    const dev_t numbers = kind == CharDevice::Null ? makedev(1, 3) : makedev(1, 5);
    return ::mknod(path.c_str(), S_IFCHR | 0666, numbers) == 0;
}

bool makeSocketFile(const std::string& path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

bool isFifo(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool isCharDevice(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool isSymlinkTo(const std::string& path, const std::string& target)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n >= 0 && std::string(buffer, std::size_t(n)) == target;
}

FifoReader::FifoReader(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

FifoReader::~FifoReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string FifoReader::readAll()
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return bytes; // 0: no writer left; EAGAIN: nothing more was written
    }
}

} // namespace jvztest
