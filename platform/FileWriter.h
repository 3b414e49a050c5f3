#pragma once

// The one way files are written: the new content goes to a temporary file in the target's folder, which
// is renamed over the target only once everything is written, so a failed write never loses the old file.
// The replacement keeps the old file's permission bits and (where permitted) its owner; a symbolic link
// is followed and its target replaced. Tests hand in a double that fails on purpose.

#include <QByteArrayView>
#include <QString>
#include <memory>

namespace jvz {

struct FileWriteError {
    int number = 0; // an errno value; 0 for none
    QString text;
};

// One replacement under way. Dropping it without commit() discards the temporary file.
class FileReplacement {
public:
    virtual ~FileReplacement() = default;
    virtual bool write(QByteArrayView bytes) = 0;
    // Puts the new content in place; false (old file untouched) when anything failed on the way.
    virtual bool commit() = 0;
    virtual FileWriteError error() const = 0;
};

class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Starts replacing (or creating) the file; null with the reason when it cannot start.
    virtual std::unique_ptr<FileReplacement> begin(const QString& path, FileWriteError* error = nullptr) = 0;

    // The whole content at once.
    bool writeAll(const QString& path, QByteArrayView bytes, FileWriteError* error = nullptr);
};

class AtomicFileWriter final : public FileWriter {
public:
    std::unique_ptr<FileReplacement> begin(const QString& path, FileWriteError* error = nullptr) override;

    // The real writer, for code that was handed no other.
    static AtomicFileWriter& standard();
};

// A file the user names for the program's output (the result file): a symbolic link is followed and its target
// replaced as above; a FIFO or a character device is written in place, never replaced or deleted; a folder is
// refused. Files the program owns (INI, bookmark, phonebook) use AtomicFileWriter, which refuses all but a
// regular file.
class UserOutputWriter final : public FileWriter {
public:
    std::unique_ptr<FileReplacement> begin(const QString& path, FileWriteError* error = nullptr) override;

    static UserOutputWriter& standard();
};

// The file a write to path lands in: path itself, or the end of its chain of symbolic links.
QString resolveWriteTarget(const QString& path);

} // namespace jvz
