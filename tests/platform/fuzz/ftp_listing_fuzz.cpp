// Fuzz target: a directory listing as the terminal's FTP server sends it, line by line; the first line also
// serves as a name pattern against every listed name.
#include "platform/FtpClientListing.h"

#include <QByteArray>
#include <QDate>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArrayList lines = bytes.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const QList<jvz::FtpFileEntry> entries = jvz::parseFtpListing(lines, QDate(2026, 2, 28));
    const QByteArray pattern = lines.isEmpty() ? QByteArray() : lines.first().left(64);
    for (const jvz::FtpFileEntry& e : entries)
        (void)jvz::matchesFtpPattern(e.name, pattern);
    return 0;
}
