#include "FtpClientReplies.h"

#include "platform/TransferLog.h"

#include <algorithm>

namespace jvz {

namespace {

// A server reply longer than this is cut; its first lines are what a message needs.
constexpr qsizetype MaxReplyBytes = 16 * 1024;

} // namespace

int ftpReplyCode(const QByteArray& reply)
{
    if (reply.size() < 3)
        return 0;
    bool ok = false;
    const int code = reply.left(3).toInt(&ok);
    return ok ? code : 0;
}

std::optional<qint64> ftpSizeReply(const QByteArray& reply)
{
    constexpr qsizetype MaxDigits = 18; // below the range of qint64
    if (!reply.startsWith("213 "))
        return std::nullopt;
    QByteArray digits = reply.mid(4);
    while (digits.endsWith(' '))
        digits.chop(1);
    if (digits.isEmpty() || digits.size() > MaxDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return digits.toLongLong();
}

void FtpReplyReader::onReplyLine(QByteArray line)
{
    ++replyLines;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (openReplyCode != 0) {
        if (reply.size() < MaxReplyBytes)
            reply += "\r\n" + line;
        if (ftpReplyCode(line) == openReplyCode && line.size() >= 4 && line.at(3) == ' ') {
            openReplyCode = 0;
            lastResponse = reply;
        }
        return;
    }
    const int code = ftpReplyCode(line);
    if (code == 0)
        return; // not a reply line (libcurl's own informational headers)
    reply = line.left(MaxReplyBytes);
    if (line.size() >= 4 && line.at(3) == '-')
        openReplyCode = code;
    else
        lastResponse = reply;
    qCDebug(lcTransfer) << "<" << line;
}

void FtpReplyReader::onCommandSent(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const qsizetype blank = line.indexOf(' ');
    lastVerb = (blank < 0 ? line : line.left(blank)).toUpper();
    qCDebug(lcTransfer) << ">" << (lastVerb == "PASS" ? QByteArray("PASS ****") : line);
}

size_t FtpReplyReader::headerCallback(char* data, size_t size, size_t count, void* user)
{
    static_cast<FtpReplyReader*>(user)->onReplyLine(QByteArray(data, qsizetype(size * count)));
    return size * count;
}

int FtpReplyReader::debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    if (type == CURLINFO_HEADER_OUT)
        static_cast<FtpReplyReader*>(user)->onCommandSent(QByteArray(data, qsizetype(size)));
    return 0;
}

} // namespace jvz
