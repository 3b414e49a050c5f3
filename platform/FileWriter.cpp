#include "FileWriter.h"

#include "platform/posix/PlainFiles.h"
#include "platform/posix/SignalCleanup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

namespace {

FileWriteError errnoError(int number, const QString& what)
{
    return {number, what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(number))};
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A signal that ends the process removes the file: this thread's signals wait while it is made and handed
// to the handler's list.
int makeRememberedTemporary(QByteArray& pattern)
{
    jvzio::installSignalCleanup();
    sigset_t block, previous;
    sigemptyset(&block);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&block, s);
    ::pthread_sigmask(SIG_BLOCK, &block, &previous);
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int madeErrno = errno;
    if (fd >= 0)
        jvzio::rememberTemporary(pattern.constData());
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = madeErrno;
    return fd;
}

class AtomicReplacement final : public FileReplacement {
public:
    AtomicReplacement(QString target, QString temp, int fd)
        : m_target(std::move(target)), m_temp(std::move(temp)), m_fd(fd)
    {
    }

    ~AtomicReplacement() override { discard(); }

    bool write(QByteArrayView bytes) override
    {
        if (m_fd < 0)
            return fail(EBADF, QStringLiteral("write"));
        const char* p = bytes.data();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, p, size_t(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail(n < 0 ? errno : EIO, QStringLiteral("write %1").arg(m_temp));
            p += n;
            left -= n;
        }
        return true;
    }

    bool commit() override
    {
        if (m_fd < 0)
            return fail(m_error.number ? m_error.number : EBADF, QStringLiteral("commit"));
        if (::fsync(m_fd) != 0)
            return fail(errno, QStringLiteral("sync %1").arg(m_temp));
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            return fail(errno, QStringLiteral("close %1").arg(m_temp));
        const QByteArray temp = QFile::encodeName(m_temp);
        if (::rename(temp.constData(), QFile::encodeName(m_target).constData()) != 0)
            return fail(errno, QStringLiteral("rename to %1").arg(m_target));
        jvzio::forgetTemporary(temp.constData());
        m_temp.clear();
        syncFolder();
        return true;
    }

    FileWriteError error() const override { return m_error; }

private:
    bool fail(int number, const QString& what)
    {
        if (m_error.number == 0)
            m_error = errnoError(number, what);
        discard();
        return false;
    }

    void discard()
    {
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
        if (!m_temp.isEmpty()) {
            // Unlinked before it leaves the signal handler's list, so no moment leaves it behind.
            const QByteArray temp = QFile::encodeName(std::exchange(m_temp, QString()));
            ::unlink(temp.constData());
            jvzio::forgetTemporary(temp.constData());
        }
    }

    // Best effort: the rename itself reaches the disk.
    void syncFolder()
    {
        const int dir = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }

    QString m_target;
    QString m_temp;
    int m_fd = -1;
    FileWriteError m_error;
};

} // namespace

QString resolveWriteTarget(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    // Bounded like the kernel's own link following, so a loop of links ends.
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = QDir::cleanPath(target);
    }
    return current;
}

bool FileWriter::writeAll(const QString& path, QByteArrayView bytes, FileWriteError* error)
{
    FileWriteError local;
    std::unique_ptr<FileReplacement> r = begin(path, &local);
    bool ok = r && r->write(bytes) && r->commit();
    if (r && !ok)
        local = r->error();
    if (error)
        *error = ok ? FileWriteError{} : local;
    return ok;
}

std::unique_ptr<FileReplacement> AtomicFileWriter::begin(const QString& path, FileWriteError* error)
{
    auto refuse = [error](FileWriteError e) -> std::unique_ptr<FileReplacement> {
        if (error)
            *error = std::move(e);
        return nullptr;
    };
    if (path.isEmpty())
        return refuse(errnoError(ENOENT, QStringLiteral("empty file name")));
    const QString target = resolveWriteTarget(path);
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return refuse(errnoError(errno, target)); // a loop of links, a folder we cannot search...
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return refuse(errnoError(EISDIR, target));
        if (!S_ISREG(old.st_mode))
            return refuse(errnoError(EINVAL, target + QStringLiteral(" is not a regular file")));
        // A file the user may not write stays as it is, as it would with an in-place write.
        if (::access(targetName.constData(), W_OK) != 0)
            return refuse(errnoError(errno, target));
    }

    const QString folder = QFileInfo(target).absolutePath();
    QByteArray tmpl = QFile::encodeName(folder + QStringLiteral("/.") + QFileInfo(target).fileName()) + ".XXXXXX";
    const int fd = makeRememberedTemporary(tmpl);
    if (fd < 0)
        return refuse(errnoError(errno, QStringLiteral("create a temporary file in %1").arg(folder)));
    const QString temp = QFile::decodeName(tmpl);
    auto replacement = std::make_unique<AtomicReplacement>(target, temp, fd);

    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        return refuse(errnoError(errno, QStringLiteral("set the mode of %1").arg(temp)));
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Only root (or a member of the group) may hand the file back; otherwise it becomes ours.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), old.st_gid);
        ::fchmod(fd, mode); // chown clears set-id bits
    }
    return replacement;
}

namespace {

// Written where it is: a FIFO or a device has no content to keep and cannot be renamed over.
class InPlaceOutput final : public FileReplacement {
public:
    explicit InPlaceOutput(std::unique_ptr<jvzio::OutputFile> file) : m_file(std::move(file)) {}

    bool write(QByteArrayView bytes) override
    {
        m_file->stream().write(bytes.data(), bytes.size());
        if (m_file->stream().good())
            return true;
        m_error = errnoError(errno ? errno : EIO, QStringLiteral("write"));
        return false;
    }
    bool commit() override
    {
        if (m_file->commit())
            return true;
        if (m_error.number == 0)
            m_error = errnoError(m_file->error() ? m_file->error() : EIO, QStringLiteral("write"));
        return false;
    }
    FileWriteError error() const override { return m_error; }

private:
    std::unique_ptr<jvzio::OutputFile> m_file;
    FileWriteError m_error;
};

} // namespace

std::unique_ptr<FileReplacement> UserOutputWriter::begin(const QString& path, FileWriteError* error)
{
    const jvzio::OutputPlan plan = jvzio::planOutput(QFile::encodeName(path).toStdString());
    switch (plan.kind) {
    case jvzio::OutputKind::Refused:
        if (error)
            *error = errnoError(plan.error ? plan.error : EINVAL, path);
        return nullptr;
    case jvzio::OutputKind::InPlace: {
        auto file = std::make_unique<jvzio::OutputFile>();
        if (!file->open(plan.target)) {
            if (error)
                *error = errnoError(file->error() ? file->error() : EIO, path);
            return nullptr;
        }
        return std::make_unique<InPlaceOutput>(std::move(file));
    }
    case jvzio::OutputKind::Replace:
        break;
    }
    return AtomicFileWriter::standard().begin(QFile::decodeName(QByteArray::fromStdString(plan.target)), error);
}

UserOutputWriter& UserOutputWriter::standard()
{
    static UserOutputWriter writer;
    return writer;
}

AtomicFileWriter& AtomicFileWriter::standard()
{
    static AtomicFileWriter writer;
    return writer;
}

} // namespace jvz
