#pragma once

// The one way whole files are read: only a regular file, and never more than a ceiling, so a FIFO, a device
// or a file that never stops growing cannot hold the program. Tests hand in a double that fails on purpose.

#include <QByteArray>
#include <QString>
#include <optional>

class QFile;

namespace jvz {

enum class FileReadStatus {
    Read,
    Missing,
    NotAFile, // a folder, a FIFO, a device, a socket
    TooLarge, // over the caller's ceiling
    Failed,   // could not be opened or read
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    QByteArray bytes; // only when status is Read
};

// Which file a name stands for and in which state: while two answers are equal the file has the same bytes,
// so a reader of it may keep what it read.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    qint64 changedNs = 0;  // status change: any write, rename in or time set moves it

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class FileReader {
public:
    virtual ~FileReader() = default;
    virtual FileReadResult read(const QString& path, qint64 maxBytes) = 0;
    // The identity of the regular file at path; none when the reader cannot tell, which makes every caller
    // read the file again.
    virtual std::optional<FileIdentity> identity(const QString& path);
};

class PlainFileReader final : public FileReader {
public:
    FileReadResult read(const QString& path, qint64 maxBytes) override;
    // None also for a file changed so lately that a further change could still carry the same times.
    std::optional<FileIdentity> identity(const QString& path) override;

    // The real reader, for code that was handed no other.
    static PlainFileReader& standard();
};

// Opens path for reading only when it is a regular file (links followed), without waiting on a FIFO or a
// device; false otherwise, with the reason in *error. For readers that stream a file rather than read it whole.
bool openRegularFile(QFile& file, const QString& path, QString* error = nullptr);

} // namespace jvz
