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

// Why a listing line that looks like an entry gave none: the caller traces these.
enum class FtpLineDrop {
    None,         // an entry, or a line that is no entry at all ("total 12", garbage)
    TooLong,      // over 4,096 bytes
    SizeTooLarge, // a size of 20 digits or more
};

struct FtpDroppedLine {
    FtpLineDrop reason = FtpLineDrop::None;
    QByteArray line;
};

// Reads one line of a LIST reply in the Unix form ("-rw-r--r-- 1 owner group 1234 Jan 02 10:30 NAME") or
// the DOS form ("01-02-26  10:30AM  1234 NAME", "<DIR>" for folders). Lines of neither form ("total 12",
// garbage, over-long lines) give nothing; drop says why when it is one of the reasons above. today places
// Unix dates shown without a year.
std::optional<FtpFileEntry> parseFtpListLine(const QByteArray& line, const QDate& today, FtpLineDrop* drop = nullptr);
// A line that is no entry right after an entry is taken as the rest of its name (the name held a line
// break), joined with "\n", so the entry can never pass for the shorter name.
QList<FtpFileEntry> parseFtpListing(const QByteArrayList& lines, const QDate& today,
                                    QList<FtpDroppedLine>* dropped = nullptr);

// The terminal's name patterns: * and ?, letters in either case; "*.*" and an empty pattern match all.
bool matchesFtpPattern(const QByteArray& name, const QByteArray& pattern);

// The entries of the client's current directory that match the pattern, in the server's order.
// FtpError::NoMoreFiles when none does (an empty folder is not a failure of the listing).
// dropped: the lines left out for their length or their size.
uint32_t findFtpFiles(FtpClient& client, const QByteArray& pattern, QList<FtpFileEntry>* entries,
                      const QDate& today = QDate::currentDate(), QList<FtpDroppedLine>* dropped = nullptr);

} // namespace jvz
