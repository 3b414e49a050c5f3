#pragma once

#include "platform/FtpClient.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <optional>

namespace jvz {

// One entry of a directory listing.
struct FtpFileEntry {
    QByteArray name;
    bool isDirectory = false;
    quint64 size = 0;
    // As the server shows it, without time-zone conversion (kept as UTC); invalid when unreadable.
    QDateTime lastWrite;

    bool operator==(const FtpFileEntry&) const = default;
};

// Reads one line of a LIST reply in the Unix form ("-rw-r--r-- 1 owner group 1234 Jan 02 10:30 NAME") or
// the DOS form ("01-02-26  10:30AM  1234 NAME", "<DIR>" for folders). Lines of neither form ("total 12",
// garbage, over-long lines) give nothing. today places Unix dates shown without a year.
std::optional<FtpFileEntry> parseFtpListLine(const QByteArray& line, const QDate& today);
QList<FtpFileEntry> parseFtpListing(const QByteArrayList& lines, const QDate& today);

// The terminal's name patterns: * and ?, letters in either case; "*.*" and an empty pattern match all.
bool matchesFtpPattern(const QByteArray& name, const QByteArray& pattern);

// The entries of the client's current directory that match the pattern, in the server's order.
// FtpError::NoMoreFiles when none does (an empty folder is not a failure of the listing).
uint32_t findFtpFiles(FtpClient& client, const QByteArray& pattern, QList<FtpFileEntry>* entries,
                      const QDate& today = QDate::currentDate());

} // namespace jvz
