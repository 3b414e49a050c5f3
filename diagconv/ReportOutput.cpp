#include "ReportOutput.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace diagconv {

FileOutput::~FileOutput()
{
    dropTemporary();
}

void FileOutput::dropTemporary()
{
    if (m_stream.is_open())
        m_stream.close();
    if (!m_temporary.empty())
        unlink(m_temporary.c_str());
    m_temporary.clear();
}

std::ostream* FileOutput::open(const std::string& path)
{
    dropTemporary();
    if (path.empty())
        return nullptr;
    m_target = path;
    mode_t mode = 0;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return nullptr;
        if (!S_ISREG(info.st_mode)) {
            // A device or a pipe cannot be replaced by a rename: write it as it is.
            m_stream.open(path, std::ios::binary | std::ios::trunc);
            return m_stream.is_open() ? &m_stream : nullptr;
        }
        // Through a symbolic link the report replaces the file the link points to, not the link.
        if (char* real = realpath(path.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    const std::size_t slash = m_target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    // A short prefix of the name: the temporary must stay within the file system's name limit.
    std::string pattern = folder + "." + name.substr(0, 32) + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    m_temporary = pattern;
    fchmod(fd, mode);
    close(fd);
    m_stream.open(m_temporary, std::ios::binary | std::ios::trunc);
    if (!m_stream.is_open()) {
        dropTemporary();
        return nullptr;
    }
    return &m_stream;
}

bool FileOutput::commit()
{
    if (!m_stream.is_open())
        return false;
    m_stream.flush();
    const bool written = static_cast<bool>(m_stream);
    m_stream.close();
    if (m_temporary.empty())
        return written && !m_stream.fail();
    if (!written || m_stream.fail() || rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        dropTemporary();
        return false;
    }
    m_temporary.clear();
    return true;
}

} // namespace diagconv
