#include "PlainFiles.h"

#include "SignalCleanup.h"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvzio {

namespace {

int openNoFollowUp(const std::string& path, int flags)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// The end of path's chain of symbolic links; the name itself when it is no link. Bounded like the kernel's
// own following, so a loop of links ends.
bool followLinks(std::string path, std::string& end)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            end = path;
            return true;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || std::size_t(n) >= target.size())
            return false;
        target.resize(std::size_t(n));
        if (target.front() != '/') {
            const std::size_t slash = path.rfind('/');
            if (slash != std::string::npos)
                target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    errno = ELOOP;
    return false;
}

} // namespace

int openRegularInput(const std::string& path, InputStatus& status)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        if (path.empty())
            errno = ENOENT;
        status = errno == ENOENT || errno == ENOTDIR ? InputStatus::Missing : InputStatus::Failed;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        status = InputStatus::NotAFile;
        return -1;
    }
    // Non-blocking: should the name be swapped for a FIFO after the check, the open still returns at once.
    const int fd = openNoFollowUp(path, O_RDONLY);
    if (fd < 0) {
        status = errno == ENOENT || errno == ENOTDIR ? InputStatus::Missing : InputStatus::Failed;
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        status = InputStatus::NotAFile;
        return -1;
    }
    status = InputStatus::Read;
    return fd;
}

InputStatus readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes)
{
    bytes.clear();
    InputStatus status = InputStatus::Failed;
    const int fd = openRegularInput(path, status);
    if (fd < 0)
        return status;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return InputStatus::Failed;
    }
    if (std::size_t(info.st_size) > maxBytes) {
        ::close(fd);
        return InputStatus::TooLarge;
    }
    bytes.reserve(std::size_t(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            bytes.clear();
            return InputStatus::Failed;
        }
        if (got == 0)
            break;
        // A file that grows while it is read is held to the same ceiling.
        if (bytes.size() + std::size_t(got) > maxBytes) {
            ::close(fd);
            bytes.clear();
            return InputStatus::TooLarge;
        }
        bytes.append(buffer, std::size_t(got));
    }
    ::close(fd);
    return InputStatus::Read;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

OutputPlan planOutput(const std::string& path)
{
    OutputPlan plan;
    if (path.empty()) {
        plan.error = ENOENT;
        return plan;
    }
    if (!followLinks(path, plan.target)) {
        plan.error = errno ? errno : ELOOP;
        return plan;
    }
    struct stat info {};
    if (::stat(plan.target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            plan.error = errno;
            return plan;
        }
        plan.kind = OutputKind::Replace;
        return plan;
    }
    if (S_ISREG(info.st_mode))
        plan.kind = OutputKind::Replace;
    else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))
        plan.kind = OutputKind::InPlace;
    else
        plan.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return plan;
}

FdStreamBuf::FdStreamBuf(int fd) : m_fd(fd), m_buffer(64 * 1024)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type ch)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int FdStreamBuf::sync()
{
    return drain() ? 0 : -1;
}

bool FdStreamBuf::drain()
{
    const char* p = pbase();
    std::size_t left = std::size_t(pptr() - pbase());
    while (left > 0) {
        if (m_fd < 0)
            return false;
        const ssize_t w = ::write(m_fd, p, left);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        left -= std::size_t(w);
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return true;
}

OutputFile::OutputFile() : m_stream(&m_buffer) {}

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.setFd(-1);
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        forgetTemporary(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool OutputFile::open(const std::string& path)
{
    discard();
    m_stream.clear();
    m_error = 0;
    const OutputPlan plan = planOutput(path);
    m_target = plan.target;
    switch (plan.kind) {
    case OutputKind::Refused:
        m_error = plan.error;
        return false;
    case OutputKind::InPlace: {
        // Without a reader a FIFO cannot be opened for writing without waiting for ever: refused at once.
        m_fd = openNoFollowUp(m_target, O_WRONLY);
        if (m_fd < 0) {
            m_error = errno;
            return false;
        }
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        m_buffer.setFd(m_fd);
        return true;
    }
    case OutputKind::Replace:
        break;
    }
    mode_t mode;
    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::size_t slash = m_target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    // A short prefix of the name: the temporary must stay within the file system's name limit.
    std::string pattern = folder + "." + name.substr(0, 32) + ".XXXXXX";
    // The signals wait while the file is made and handed to their handler, so no moment leaves it behind.
    installSignalCleanup();
    sigset_t block, previous;
    sigemptyset(&block);
    for (int s : kSignals)
        sigaddset(&block, s);
    ::sigprocmask(SIG_BLOCK, &block, &previous);
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int madeErrno = errno;
    if (fd >= 0)
        rememberTemporary(pattern.c_str());
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        m_error = madeErrno;
        return false;
    }
    m_temporary = pattern;
    m_fd = fd;
    ::fchmod(fd, mode);
    m_buffer.setFd(fd);
    return true;
}

bool OutputFile::commit()
{
    if (m_fd < 0) {
        if (!m_error)
            m_error = EBADF;
        return false;
    }
    m_stream.flush();
    const bool written = m_stream.good();
    if (!written && !m_error)
        m_error = errno ? errno : EIO;
    const int fd = m_fd;
    m_fd = -1;
    m_buffer.setFd(-1);
    const bool closed = ::close(fd) == 0;
    if (!closed && !m_error)
        m_error = errno;
    if (m_temporary.empty())
        return written && closed;
    if (written && closed && ::rename(m_temporary.c_str(), m_target.c_str()) == 0) {
        forgetTemporary(m_temporary.c_str());
        m_temporary.clear();
        return true;
    }
    if (!m_error)
        m_error = errno;
    discard();
    return false;
}

} // namespace jvzio
