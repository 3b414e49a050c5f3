#pragma once

#include <QByteArray>
#include <cstddef>
#include <curl/curl.h>
#include <optional>

namespace jvz {

// The code a reply line starts with; 0 when it starts with none.
int ftpReplyCode(const QByteArray& reply);

// The size a one-line "213 <decimal>" reply to SIZE gives; none for any other reply or a number past 18 digits.
std::optional<qint64> ftpSizeReply(const QByteArray& reply);

// Server replies as they arrive (header callback), and the commands sent (debug callback). Worker only.
struct FtpReplyReader {
    QByteArray reply;
    int openReplyCode = 0; // code of a multi-line reply still arriving
    QByteArray lastResponse;
    QByteArray lastVerb;
    int replyLines = 0; // reply lines so far: a server that answers is not silent

    void onReplyLine(QByteArray line);
    void onCommandSent(QByteArray line);

    static size_t headerCallback(char* data, size_t size, size_t count, void* user);
    static int debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* user);
};

} // namespace jvz
