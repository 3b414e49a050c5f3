#pragma once

// The bookmark file: the favourite folders, one entry per line ended by CR LF, in the list's order, nothing
// else. Entries are Windows-1252 text. A file that cannot be read as such a list (a read error, a NUL byte, a
// line too long for any path) is reported as refused, so that the caller never replaces it with what little
// it understood.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace jvz {

struct BookmarkRead {
    enum class Status {
        Read,        // lines holds the entries
        Missing,     // no file: nothing to keep, a new one may be written
        Unreadable,  // the file is there but could not be read
        NulByte,     // not a text file
        LineTooLong, // a line over MaxLineLength characters
    };
    Status status = Status::Read;
    QStringList lines;
    QString reason; // the system's reason for Unreadable
};

class BookmarkFile {
public:
    static constexpr qsizetype MaxLineLength = 32767;

    // Reads the whole file; the reader is replaceable so tests can make the read fail.
    using Reader = std::function<std::optional<QByteArray>(const QString& path, QString* reason)>;

    static BookmarkRead read(const QString& path, const Reader& reader = {});
    // Splits file content into entries: a line ends at CR LF (or a lone LF); an empty line is an empty entry;
    // text after the last line end is one more entry.
    static BookmarkRead parse(const QByteArray& content);
};

} // namespace jvz
