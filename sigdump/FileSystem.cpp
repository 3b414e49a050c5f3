#include "sigdump/FileSystem.h"

#include "platform/posix/PlainFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelmdor {

namespace {

// The report file under the rule shared by every program: links followed, a FIFO or a device written in
// place, a folder refused, anything else replaced through a temporary sibling.
class PosixOutputFile : public OutputFile {
public:
    bool open(const std::string& path) { return m_file.open(path); }
    std::ostream& stream() override { return m_file.stream(); }
    bool commit() override { return m_file.commit(); }

private:
    jvzio::OutputFile m_file;
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
    auto output = std::make_unique<PosixOutputFile>();
    if (!output->open(path))
        return nullptr;
    return output;
}

int PosixFileSystem::createScratch()
{
    const int fd = anonymousFileIn(scratchFolder());
    return fd >= 0 ? fd : anonymousFileIn("/tmp");
}

} // namespace kelmdor
