#include "sigdump/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelmdor {

size_t ByteSource::readZeroFilled(int64_t offset, uint8_t* dst, size_t n) const
{
    const size_t got = offset < 0 ? 0 : readAt(offset, dst, n);
    std::memset(dst + got, 0, n - got);
    return got;
}

bool ByteSource::holdsAt(int64_t offset, std::string_view bytes) const
{
    if (offset < 0 || offset > size() || size() - offset < static_cast<int64_t>(bytes.size()))
        return false;
    std::vector<uint8_t> buf(bytes.size());
    if (readAt(offset, buf.data(), buf.size()) != buf.size())
        return false;
    return std::memcmp(buf.data(), bytes.data(), bytes.size()) == 0;
}

std::unique_ptr<FdSource> FdSource::openRegularFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    // Only regular files: a folder, pipe or device is never read here.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FdSource>(fd);
}

FdSource::FdSource(int fd) : m_fd(fd)
{
    refreshSize();
}

FdSource::~FdSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FdSource::refreshSize()
{
    struct stat st {};
    m_size = (m_fd >= 0 && ::fstat(m_fd, &st) == 0) ? static_cast<int64_t>(st.st_size) : 0;
}

size_t FdSource::readAt(int64_t offset, uint8_t* dst, size_t n) const
{
    if (offset < 0 || offset >= m_size)
        return 0;
    n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), m_size - offset));
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(m_fd, dst + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t MemorySource::readAt(int64_t offset, uint8_t* dst, size_t n) const
{
    if (offset < 0 || static_cast<uint64_t>(offset) >= m_size)
        return 0;
    n = std::min(n, m_size - static_cast<size_t>(offset));
    std::memcpy(dst, m_data + offset, n);
    return n;
}

} // namespace kelmdor
