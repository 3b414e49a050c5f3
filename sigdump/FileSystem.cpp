#include "sigdump/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelmdor {

namespace {

// A stream buffer over a descriptor that reports failed writes through the stream's state.
class FdStreamBuf : public std::streambuf {
public:
    explicit FdStreamBuf(int fd) : m_fd(fd), m_buffer(64 * 1024)
    {
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    }

protected:
    int_type overflow(int_type ch) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        const char* p = pbase();
        size_t left = static_cast<size_t>(pptr() - pbase());
        while (left > 0) {
            const ssize_t w = ::write(m_fd, p, left);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            p += w;
            left -= static_cast<size_t>(w);
        }
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return true;
    }

    int m_fd;
    std::vector<char> m_buffer;
};

class PosixOutputFile : public OutputFile {
public:
    PosixOutputFile(int fd, std::string tempPath, std::string finalPath)
        : m_fd(fd), m_tempPath(std::move(tempPath)), m_finalPath(std::move(finalPath)), m_buf(fd), m_stream(&m_buf)
    {
    }
    ~PosixOutputFile() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlink(m_tempPath.c_str());
        }
    }
    std::ostream& stream() override { return m_stream; }
    bool commit() override
    {
        m_stream.flush();
        const bool written = m_stream.good();
        const int fd = m_fd;
        m_fd = -1;
        const bool closed = ::close(fd) == 0;
        if (written && closed && ::rename(m_tempPath.c_str(), m_finalPath.c_str()) == 0)
            return true;
        ::unlink(m_tempPath.c_str());
        return false;
    }

private:
    int m_fd;
    std::string m_tempPath;
    std::string m_finalPath;
    FdStreamBuf m_buf;
    std::ostream m_stream;
};

std::string scratchFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
}

int anonymousFileIn(const std::string& folder)
{
#ifdef O_TMPFILE
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
#endif
    std::string name = folder + "/kelmdor-XXXXXX";
    const int tfd = ::mkstemp(name.data());
    if (tfd >= 0)
        ::unlink(name.c_str());
    return tfd;
}

} // namespace

std::unique_ptr<ByteSource> PosixFileSystem::openInput(const std::string& path)
{
    return FdSource::openRegularFile(path);
}

std::unique_ptr<OutputFile> PosixFileSystem::createOutput(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return nullptr;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return nullptr;
    // mkstemp makes 0600; the report should get the permissions a plain create would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    return std::make_unique<PosixOutputFile>(fd, std::move(temp), path);
}

int PosixFileSystem::createScratch()
{
    const int fd = anonymousFileIn(scratchFolder());
    return fd >= 0 ? fd : anonymousFileIn("/tmp");
}

} // namespace kelmdor
