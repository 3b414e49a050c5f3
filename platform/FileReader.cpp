#include "FileReader.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace jvz {

namespace {

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The coarsest step the file system may stamp times in, judged from the time's trailing zeros: a whole
// second may come from a file system that counts in two.
qint64 stampStep(const timespec& t)
{
    if (t.tv_nsec == 0)
        return 2'000'000'000;
    qint64 step = 1;
    for (long n = t.tv_nsec; n % 10 == 0; n /= 10)
        step *= 10;
    return step;
}

} // namespace

std::optional<FileIdentity> FileReader::identity(const QString&)
{
    return std::nullopt;
}

std::optional<FileIdentity> PlainFileReader::identity(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    // The clock before the look: a change made after it is stamped no earlier than the clock, in the same
    // coarse steps the file system uses.
    timespec now{};
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
        return std::nullopt;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // Changed within the present step: another change now would leave the same times, and go unseen.
    if (nanoseconds(now) < nanoseconds(info.st_ctim) + stampStep(info.st_ctim))
        return std::nullopt;
    FileIdentity id;
    id.device = info.st_dev;
    id.inode = info.st_ino;
    id.size = info.st_size;
    id.modifiedNs = nanoseconds(info.st_mtim);
    id.changedNs = nanoseconds(info.st_ctim);
    return id;
}

FileReadResult PlainFileReader::read(const QString& path, qint64 maxBytes)
{
    FileReadResult result;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0) {
        result.status =
            errno == ENOENT || errno == ENOTDIR || path.isEmpty() ? FileReadStatus::Missing : FileReadStatus::Failed;
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

bool openRegularFile(QFile& file, const QString& path, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    auto failErrno = [&fail](int number) { return fail(QString::fromLocal8Bit(std::strerror(number))); };
    if (path.isEmpty())
        return failErrno(ENOENT);
    // Non-blocking: the open of a FIFO without a writer, or of a device, returns at once.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failErrno(errno);
    struct stat info {};
    const int statError = ::fstat(fd, &info) != 0 ? errno : 0;
    if (statError != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (statError != 0)
            return failErrno(statError);
        return S_ISDIR(info.st_mode) ? failErrno(EISDIR) : fail(QStringLiteral("Not a regular file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
}

PlainFileReader& PlainFileReader::standard()
{
    static PlainFileReader reader;
    return reader;
}

} // namespace jvz
