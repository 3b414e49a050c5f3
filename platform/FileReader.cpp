#include "FileReader.h"

#include "platform/posix/PlainFiles.h"

#include <QFile>
#include <algorithm>
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
    // The companions' reader, so that the program and the console programs refuse the same files.
    std::string bytes;
    const jvzio::InputStatus status = jvzio::readRegularFile(QFile::encodeName(path).toStdString(),
                                                             std::size_t(std::max<qint64>(maxBytes, 0)), bytes);
    FileReadResult result;
    switch (status) {
    case jvzio::InputStatus::Read:
        result.status = FileReadStatus::Read;
        result.bytes = QByteArray(bytes.data(), qsizetype(bytes.size()));
        break;
    case jvzio::InputStatus::Missing:
        result.status = FileReadStatus::Missing;
        break;
    case jvzio::InputStatus::NotAFile:
        result.status = FileReadStatus::NotAFile;
        break;
    case jvzio::InputStatus::TooLarge:
        result.status = FileReadStatus::TooLarge;
        break;
    case jvzio::InputStatus::Failed:
        result.status = FileReadStatus::Failed;
        break;
    }
    return result;
}

bool openRegularFile(QFile& file, const QString& path, QString* error)
{
    jvzio::InputStatus status = jvzio::InputStatus::Failed;
    const int fd = jvzio::openRegularInput(QFile::encodeName(path).toStdString(), status);
    const int number = errno;
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (fd < 0) {
        if (status == jvzio::InputStatus::NotAFile && number != EISDIR)
            return fail(QStringLiteral("Not a regular file"));
        return fail(QString::fromLocal8Bit(std::strerror(number)));
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
