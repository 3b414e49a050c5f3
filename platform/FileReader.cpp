#include "FileReader.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

FileReadResult PlainFileReader::read(const QString& path, qint64 maxBytes)
{
    FileReadResult result;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0) {
        result.status = errno == ENOENT || errno == ENOTDIR || path.isEmpty() ? FileReadStatus::Missing
                                                                              : FileReadStatus::Failed;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = FileReadStatus::NotAFile;
        return result;
    }
    // Non-blocking: should the name be swapped for a FIFO after the check, the open still returns at once.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        result.status = FileReadStatus::Failed;
        return result;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.status = FileReadStatus::NotAFile;
        return result;
    }
    if (info.st_size > maxBytes) {
        ::close(fd);
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            result.status = FileReadStatus::Failed;
            return result;
        }
        if (got == 0)
            break;
        // A file that grows while it is read is held to the same ceiling.
        if (bytes.size() + got > maxBytes) {
            ::close(fd);
            result.status = FileReadStatus::TooLarge;
            return result;
        }
        bytes.append(buffer, got);
    }
    ::close(fd);
    result.status = FileReadStatus::Read;
    result.bytes = std::move(bytes);
    return result;
}

PlainFileReader& PlainFileReader::standard()
{
    static PlainFileReader reader;
    return reader;
}

} // namespace jvz
