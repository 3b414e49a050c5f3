#include "terminal_files/TerminalFetch.h"

#include "core/Cp1252.h"
#include "core/MbFileIni.h"
#include "platform/FileReader.h"
#include "platform/FtpClient.h"
#include "platform/TransferLog.h"
#include "terminal_files/SafeTransfer.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

namespace jvz {

uint32_t getTerminalFileToTemp(TransferContext& ctx, const QString& directory, const QString& fileName,
                               const QString& localName)
{
    const QString local = localName.trimmed().isEmpty() ? fileName : localName;
    if (!isPlainFileName(local)) {
        qCWarning(lcTransfer) << "refused local name for a terminal file:" << local;
        return FtpError::InvalidParameter;
    }
    const QString target = ctx.tempDir() + local;
    return ctx.ftp.getFile(Cp1252::encode(directory + fileName), target, FetchBound::controlFile());
}

bool FetchTerminalFileToTemp(TransferContext& ctx, const QString& directory, const QString& fileName, bool fromTerminal,
                             const QString& localName)
{
    return fromTerminal && getTerminalFileToTemp(ctx, directory, fileName, localName) == FtpError::None;
}

std::optional<int64_t> readLeadingInteger64(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    // At most 19 digits fit; a longer number is out of range.
    constexpr int kMaxDigits = 19;
    uint64_t whole = 0;
    int digits = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        if (++digits > kMaxDigits)
            return std::nullopt;
        whole = whole * 10 + uint64_t(text[i].unicode() - '0');
        ++i;
    }
    int firstFraction = -1;
    bool fractionBeyondHalf = false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            firstFraction = text[i].unicode() - '0';
            ++i;
            for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i)
                fractionBeyondHalf = fractionBeyondHalf || text[i] != u'0';
            ++digits;
        }
    }
    if (digits == 0)
        return int64_t(0);
    const bool roundUp = firstFraction > 5 || (firstFraction == 5 && (fractionBeyondHalf || (whole % 2) == 1));
    if (roundUp)
        ++whole;
    const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (whole > limit)
        return std::nullopt;
    return negative ? int64_t(0 - whole) : int64_t(whole);
}

std::optional<int64_t> readDiskFreeSize(const QString& activityInfPath)
{
    QFile file;
    if (!openRegularFile(file, activityInfPath))
        return std::nullopt;
    file.close();
    MbFileIni ini;
    ini.Create(activityInfPath);
    // A missing or empty key is a terminal that reports no free space.
    return readLeadingInteger64(ini.StringGet(QStringLiteral("exchange"), QStringLiteral("Disk free size")));
}

int64_t ReadSwapFreeSize(TransferContext& ctx, bool* sessionEnded)
{
    if (sessionEnded)
        *sessionEnded = false;
    if (!ctx.currentTerminalDir.contains(QLatin1String("SWAP")) || !ctx.session.swapUnchecked)
        return -1;
    static const QString kActivityFile = QStringLiteral("ACTIVITY.INF");
    if (const uint32_t error = getTerminalFileToTemp(ctx, ctx.currentTerminalDir, kActivityFile)) {
        // A session that stays lets the next download try again; one the fetch ended is reported as this
        // fetch's failure, not as whatever the next call would meet.
        if (!ctx.ftp.isOpen()) {
            ctx.host.ReportFtpError(error, QStringLiteral("FtpGetFile"));
            if (sessionEnded)
                *sessionEnded = true;
        }
        return -1;
    }
    const std::optional<int64_t> free = readDiskFreeSize(ctx.tempDir() + kActivityFile);
    if (!free)
        return -1;
    ctx.session.swapUnchecked = false;
    return *free;
}

bool swapSpaceSuffices(const TransferContext& ctx, int64_t swapFreeSize)
{
    return ctx.session.swapUnchecked || swapFreeSize == -1 || ctx.session.swapTotalSize <= swapFreeSize;
}

SwapCheck SwapSpaceCheck(TransferContext& ctx)
{
    SwapCheck check;
    check.swapFreeSize = ReadSwapFreeSize(ctx, &check.sessionEnded);
    check.enoughSpace = swapSpaceSuffices(ctx, check.swapFreeSize);
    return check;
}

void resetSwapBookkeeping(TerminalSession& session)
{
    session.swapTotalSize = 0;
    session.swapUnchecked = true;
}

} // namespace jvz
