#include "FtpClientListing.h"

#include "platform/WildcardMatch.h"

#include <QTime>
#include <algorithm>

namespace jvz {

namespace {

constexpr qsizetype MaxLineBytes = 4096;
constexpr int MaxSizeDigits = 19; // fits in 63 bits

struct Token {
    QByteArray text;
    qsizetype end = 0; // offset just past the token in the line
};

// The first count blank-separated tokens; fewer when the line runs out.
QList<Token> leadingTokens(const QByteArray& line, int count)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (tokens.size() < count) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        tokens.append({line.mid(start, i - start), i});
    }
    return tokens;
}

// The name after the last column: one separating blank goes, the name keeps every other blank, leading ones
// too, since it is sent back as listed. A folder's "<DIR>" column is padded, so all blanks go after it.
QByteArray restAfter(const QByteArray& line, qsizetype end, bool padded = false)
{
    qsizetype i = end;
    if (padded) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
    } else if (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
    }
    return line.mid(i);
}

bool allDigits(const QByteArray& text, int maxDigits)
{
    return !text.isEmpty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> number(const QByteArray& text, int low, int high)
{
    if (!allDigits(text, 9))
        return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

int monthNumber(const QByteArray& text)
{
    static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    const QByteArray lower = text.toLower();
    for (int i = 0; i < 12; ++i) {
        if (lower == months[i])
            return i + 1;
    }
    return 0;
}

// "10:30", "9:05", with an optional AM/PM.
std::optional<QTime> clockTime(QByteArray text)
{
    int shift = -1;
    const QByteArray upper = text.toUpper();
    if (upper.endsWith("AM") || upper.endsWith("PM")) {
        shift = upper.endsWith("PM") ? 12 : 0;
        text.chop(2);
    }
    const qsizetype colon = text.indexOf(':');
    if (colon < 0)
        return std::nullopt;
    std::optional<int> hour = number(text.left(colon), 0, shift < 0 ? 23 : 12);
    const std::optional<int> minute = number(text.mid(colon + 1), 0, 59);
    if (!hour || !minute || text.mid(colon + 1).size() != 2)
        return std::nullopt;
    if (shift >= 0)
        hour = *hour % 12 + shift;
    return QTime(*hour, *minute);
}

std::optional<FtpFileEntry> parseUnix(const QByteArray& line, const QDate& today, FtpLineDrop* drop)
{
    const char kind = line.isEmpty() ? 0 : line[0];
    if (!QByteArray("-dlbcps").contains(kind))
        return std::nullopt;
    const QList<Token> tokens = leadingTokens(line, 9);
    if (tokens.size() < 8 || tokens[0].text.size() < 10)
        return std::nullopt;
    // Owner and group are optional on some servers: find the month, which follows the size.
    for (int m = 3; m <= 5 && m + 2 < tokens.size(); ++m) {
        const int month = monthNumber(tokens[m].text);
        if (month == 0)
            continue;
        if (!allDigits(tokens[m - 1].text, MaxSizeDigits)) {
            if (drop && allDigits(tokens[m - 1].text, int(tokens[m - 1].text.size())))
                *drop = FtpLineDrop::SizeTooLarge;
            continue;
        }
        const std::optional<int> day = number(tokens[m + 1].text, 1, 31);
        if (!day)
            continue;
        const QByteArray& yearOrTime = tokens[m + 2].text;
        QDate date;
        QTime time(0, 0);
        if (const std::optional<QTime> clock = clockTime(yearOrTime)) {
            // Recent files show a time instead of the year: the most recent such date not in the future.
            time = *clock;
            date = QDate(today.year(), month, *day);
            if (date.isValid() && date > today.addDays(1))
                date = QDate(today.year() - 1, month, *day);
        } else if (const std::optional<int> year = number(yearOrTime, 1900, 9999)) {
            date = QDate(*year, month, *day);
        } else {
            continue;
        }
        FtpFileEntry entry;
        entry.isDirectory = kind == 'd';
        entry.size = tokens[m - 1].text.toULongLong();
        if (date.isValid())
            entry.lastWrite = QDateTime(date, time, Qt::UTC);
        entry.name = restAfter(line, tokens[m + 2].end);
        if (kind == 'l') {
            const qsizetype arrow = entry.name.indexOf(" -> ");
            if (arrow > 0)
                entry.name.truncate(arrow);
        }
        if (entry.name.isEmpty())
            return std::nullopt;
        return entry;
    }
    return std::nullopt;
}

std::optional<FtpFileEntry> parseDos(const QByteArray& line, FtpLineDrop* drop)
{
    const QList<Token> tokens = leadingTokens(line, 3);
    if (tokens.size() < 3)
        return std::nullopt;
    const QByteArrayList dateParts = tokens[0].text.split('-');
    if (dateParts.size() != 3 || (dateParts[2].size() != 2 && dateParts[2].size() != 4))
        return std::nullopt;
    const std::optional<int> month = number(dateParts[0], 1, 12);
    const std::optional<int> day = number(dateParts[1], 1, 31);
    std::optional<int> year = number(dateParts[2], 0, 9999);
    const std::optional<QTime> time = clockTime(tokens[1].text);
    if (!month || !day || !year || !time)
        return std::nullopt;
    if (dateParts[2].size() == 2)
        year = *year < 70 ? 2000 + *year : 1900 + *year;
    FtpFileEntry entry;
    if (tokens[2].text.toUpper() == "<DIR>")
        entry.isDirectory = true;
    else if (allDigits(tokens[2].text, MaxSizeDigits))
        entry.size = tokens[2].text.toULongLong();
    else {
        if (drop && allDigits(tokens[2].text, int(tokens[2].text.size())))
            *drop = FtpLineDrop::SizeTooLarge;
        return std::nullopt;
    }
    const QDate date(*year, *month, *day);
    if (date.isValid())
        entry.lastWrite = QDateTime(date, *time, Qt::UTC);
    entry.name = restAfter(line, tokens[2].end, entry.isDirectory);
    if (entry.name.isEmpty())
        return std::nullopt;
    return entry;
}

// The start of a line of either form, or of a "total" line: no name's continuation starts so.
bool looksLikeListingLine(const QByteArray& line)
{
    if (line.startsWith("total"))
        return true;
    if (line.size() >= 10 && QByteArray("-dlbcps").contains(line[0]) &&
        std::all_of(line.begin() + 1, line.begin() + 10, [](char c) { return QByteArray("rwxsStTl-").contains(c); }))
        return true;
    return line.size() >= 8 && line[0] >= '0' && line[0] <= '9' && line[2] == '-' && line[5] == '-';
}

char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

} // namespace

std::optional<FtpFileEntry> parseFtpListLine(const QByteArray& line, const QDate& today, FtpLineDrop* drop)
{
    FtpLineDrop none = FtpLineDrop::None;
    if (!drop)
        drop = &none;
    *drop = FtpLineDrop::None;
    if (line.isEmpty())
        return std::nullopt;
    if (line.size() > MaxLineBytes) {
        *drop = FtpLineDrop::TooLong;
        return std::nullopt;
    }
    std::optional<FtpFileEntry> entry =
        (line[0] >= '0' && line[0] <= '9') ? parseDos(line, drop) : parseUnix(line, today, drop);
    if (entry)
        *drop = FtpLineDrop::None;
    return entry;
}

QList<FtpFileEntry> parseFtpListing(const QByteArrayList& lines, const QDate& today, QList<FtpDroppedLine>* dropped)
{
    QList<FtpFileEntry> entries;
    bool afterEntry = false;
    for (const QByteArray& line : lines) {
        FtpLineDrop drop = FtpLineDrop::None;
        if (std::optional<FtpFileEntry> entry = parseFtpListLine(line, today, &drop)) {
            entries.append(std::move(*entry));
            afterEntry = true;
            continue;
        }
        if (drop != FtpLineDrop::None) {
            if (dropped)
                dropped->append({drop, line});
        } else if (afterEntry && !looksLikeListingLine(line)) {
            // The rest of a name holding a line break: the transfer delivers a CR of the name as a line
            // end. Kept with the name, which can then never be mistaken for the shorter one.
            entries.last().name += '\n' + line;
            continue;
        }
        afterEntry = false;
    }
    return entries;
}

bool matchesFtpPattern(const QByteArray& name, const QByteArray& pattern)
{
    if (pattern.isEmpty() || pattern == "*" || pattern == "*.*")
        return true;
    return wildcardMatch(
        name.size(), pattern.size(), [&](std::size_t p) { return pattern[p] == '*'; },
        [&](std::size_t p, std::size_t n) { return pattern[p] == '?' || foldCase(pattern[p]) == foldCase(name[n]); });
}

uint32_t findFtpFiles(FtpClient& client, const QByteArray& pattern, QList<FtpFileEntry>* entries, const QDate& today,
                      QList<FtpDroppedLine>* dropped)
{
    entries->clear();
    QByteArrayList lines;
    if (const uint32_t error = client.listDirectory(&lines))
        return error;
    for (FtpFileEntry& entry : parseFtpListing(lines, today, dropped)) {
        if (matchesFtpPattern(entry.name, pattern))
            entries->append(std::move(entry));
    }
    return entries->isEmpty() ? FtpError::NoMoreFiles : FtpError::None;
}

} // namespace jvz
