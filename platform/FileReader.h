#pragma once

// The one way whole files are read: only a regular file, and never more than a ceiling, so a FIFO, a device
// or a file that never stops growing cannot hold the program. Tests hand in a double that fails on purpose.

#include <QByteArray>
#include <QString>

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

class FileReader {
public:
    virtual ~FileReader() = default;
    virtual FileReadResult read(const QString& path, qint64 maxBytes) = 0;
};

class PlainFileReader final : public FileReader {
public:
    FileReadResult read(const QString& path, qint64 maxBytes) override;

    // The real reader, for code that was handed no other.
    static PlainFileReader& standard();
};

} // namespace jvz
