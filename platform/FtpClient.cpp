#include "FtpClient.h"

#include "platform/FileWriter.h"
#include "platform/TransferLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <curl/curl.h>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace jvz {

namespace {

// A listing larger than this is not a terminal's directory.
constexpr qsizetype MaxListingBytes = 16 * 1024 * 1024;
// A server reply longer than this is cut; its first lines are what a message needs.
constexpr qsizetype MaxReplyBytes = 16 * 1024;
// Addresses a host name may give for one login.
constexpr qsizetype MaxServerEndpoints = 16;

struct CurlErrorRow {
    CURLcode code;
    uint32_t error;
};

// Results not listed are internal errors. Refinements that need more than the code are in ftpErrorFromCurl.
constexpr CurlErrorRow CurlErrors[] = {
    {CURLE_OK, FtpError::None},
    {CURLE_URL_MALFORMAT, FtpError::InvalidParameter},
    {CURLE_COULDNT_RESOLVE_HOST, FtpError::NameNotResolved},
    {CURLE_COULDNT_CONNECT, FtpError::CannotConnect},
    {CURLE_INTERFACE_FAILED, FtpError::CannotConnect},
    {CURLE_FTP_CANT_GET_HOST, FtpError::CannotConnect},
    {CURLE_WEIRD_SERVER_REPLY, FtpError::ExtendedError},
    {CURLE_REMOTE_ACCESS_DENIED, FtpError::ExtendedError},
    {CURLE_FTP_ACCEPT_FAILED, FtpError::ExtendedError},
    {CURLE_FTP_COULDNT_SET_TYPE, FtpError::ExtendedError},
    {CURLE_FTP_COULDNT_RETR_FILE, FtpError::ExtendedError},
    {CURLE_QUOTE_ERROR, FtpError::ExtendedError},
    {CURLE_UPLOAD_FAILED, FtpError::ExtendedError},
    {CURLE_FTP_PORT_FAILED, FtpError::ExtendedError},
    {CURLE_REMOTE_FILE_NOT_FOUND, FtpError::ExtendedError},
    {CURLE_REMOTE_DISK_FULL, FtpError::ExtendedError},
    {CURLE_REMOTE_FILE_EXISTS, FtpError::ExtendedError},
    {CURLE_FILESIZE_EXCEEDED, FtpError::ExtendedError},
    {CURLE_FTP_ACCEPT_TIMEOUT, FtpError::Timeout},
    {CURLE_OPERATION_TIMEDOUT, FtpError::Timeout},
    {CURLE_PARTIAL_FILE, FtpError::ConnectionAborted},
    {CURLE_GOT_NOTHING, FtpError::ConnectionAborted},
    {CURLE_RECV_ERROR, FtpError::ConnectionAborted},
    {CURLE_SEND_ERROR, FtpError::ConnectionAborted},
    {CURLE_LOGIN_DENIED, FtpError::IncorrectPassword},
    {CURLE_WRITE_ERROR, FtpError::WriteFault},
    {CURLE_READ_ERROR, FtpError::ReadFault},
    {CURLE_OUT_OF_MEMORY, FtpError::NotEnoughMemory},
    {CURLE_ABORTED_BY_CALLBACK, FtpError::OperationCancelled},
};

bool hasControlCharacter(const QByteArray& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7f; });
}

// Host texts that can go into a URL unchanged: names, IPv4 and bracket-less IPv6 literals.
bool isPlainHost(const QString& host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    return std::all_of(host.begin(), host.end(), [](QChar c) {
        return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('.') || c == QLatin1Char('-') ||
               c == QLatin1Char('_') || c == QLatin1Char(':');
    });
}

int replyCode(const QByteArray& reply)
{
    if (reply.size() < 3)
        return 0;
    bool ok = false;
    const int code = reply.left(3).toInt(&ok);
    return ok ? code : 0;
}

bool sameEndpoint(const sockaddr_storage& a, const sockaddr* b)
{
    if (a.ss_family != b->sa_family)
        return false;
    if (b->sa_family == AF_INET) {
        const auto* x = reinterpret_cast<const sockaddr_in*>(&a);
        const auto* y = reinterpret_cast<const sockaddr_in*>(b);
        return x->sin_port == y->sin_port && x->sin_addr.s_addr == y->sin_addr.s_addr;
    }
    if (b->sa_family == AF_INET6) {
        const auto* x = reinterpret_cast<const sockaddr_in6*>(&a);
        const auto* y = reinterpret_cast<const sockaddr_in6*>(b);
        return x->sin6_port == y->sin6_port && std::memcmp(&x->sin6_addr, &y->sin6_addr, sizeof(in6_addr)) == 0;
    }
    return false;
}

bool isUnspecifiedAddress(const sockaddr* address)
{
    if (address->sa_family == AF_INET)
        return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr == htonl(INADDR_ANY);
    if (address->sa_family == AF_INET6)
        return IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    return false;
}

// Error number of a local file that could not be written.
uint32_t localWriteError(int number, uint32_t otherwise)
{
    switch (number) {
    case ENOENT:
    case ENOTDIR:
        return FtpError::PathNotFound;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return FtpError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return FtpError::AccessDenied;
    default:
        return otherwise;
    }
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

} // namespace

uint32_t ftpErrorFromCurl(const CurlFailure& failure)
{
    if (failure.curlCode == CURLE_OK)
        return FtpError::None;
    if (failure.sessionLost)
        return FtpError::ConnectionAborted;
    uint32_t error = FtpError::InternalError;
    for (const CurlErrorRow& row : CurlErrors) {
        if (row.code == failure.curlCode) {
            error = row.error;
            break;
        }
    }
    if (error == FtpError::IncorrectPassword && failure.lastCommandVerb == "USER")
        return FtpError::IncorrectUserName;
    if (error == FtpError::ConnectionAborted && failure.osErrno == ECONNRESET)
        return FtpError::ConnectionReset;
    return error;
}

qint64 fetchMaxBytes(const FtpTimeouts& timeouts, const FetchBound& bound)
{
    switch (bound.kind) {
    case FetchBound::Kind::ControlFile:
        return timeouts.controlFileMaxBytes;
    case FetchBound::Kind::Listed:
        if (bound.listedBytes >= 0) {
            const qint64 margin = std::max(timeouts.listedMarginBytes, bound.listedBytes / 8);
            return std::min(bound.listedBytes, std::numeric_limits<qint64>::max() - margin) + margin;
        }
        return timeouts.unlistedMaxBytes;
    case FetchBound::Kind::Unlisted:
        return timeouts.unlistedMaxBytes;
    }
    return timeouts.unlistedMaxBytes;
}

int fetchTotalSeconds(const FtpTimeouts& timeouts, const FetchBound& bound)
{
    return bound.kind == FetchBound::Kind::ControlFile ? timeouts.controlFileTotalSeconds : 0;
}

bool isUnspecifiedFtpHost(const QString& host)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty())
        return true;
    // inet_aton also reads the short forms ("0", "0.0") that resolve to 0.0.0.0.
    in_addr v4{};
    if (inet_aton(trimmed.toLatin1().constData(), &v4) != 0)
        return v4.s_addr == htonl(INADDR_ANY);
    const QHostAddress address(trimmed);
    if (address.isNull())
        return false;
    bool isV4 = false;
    const quint32 mapped = address.toIPv4Address(&isV4);
    return (isV4 && mapped == 0) || address == QHostAddress(QHostAddress::AnyIPv6);
}

namespace {

// Whether a transfer keeps the floor rate: at every moment from one window after its start on, the bytes of the
// last window must reach floor x window.
class RateFloor {
public:
    RateFloor(int floorBytesPerSecond, int windowSeconds)
        : m_floor(std::max(0, floorBytesPerSecond)), m_windowMs(qint64(std::max(0, windowSeconds)) * 1000)
    {
    }

    bool tooSlow(qint64 nowMs, qint64 moved)
    {
        if (m_floor == 0 || m_windowMs == 0)
            return false;
        if (m_samples.empty() || nowMs - m_samples.back().atMs >= SampleMs)
            m_samples.push_back({nowMs, moved});
        // Keep the newest sample at or before the window's start, and those after it.
        while (m_samples.size() >= 2 && m_samples[1].atMs <= nowMs - m_windowMs)
            m_samples.pop_front();
        if (m_samples.front().atMs > nowMs - m_windowMs)
            return false; // less than one window seen
        return moved - m_samples.front().moved < qint64(m_floor) * m_windowMs / 1000;
    }

private:
    static constexpr qint64 SampleMs = 100;
    struct Sample {
        qint64 atMs;
        qint64 moved;
    };
    qint64 m_floor;
    qint64 m_windowMs;
    std::deque<Sample> m_samples;
};

// How often the worker looks at the cancel flag and the bounds while libcurl waits on its sockets.
constexpr int WorkerPollMs = 25;
// How often the calling thread serves its events and asks its cancel check while a call runs.
constexpr int ServeEventsMs = 10;

} // namespace

struct CurlFtpClient::Impl {
    enum class Stage { Idle, Opening, Open };
    // The bound a call has on top of the stall bound and its total time (totalMs).
    enum class Bound { None, TransferFloor };

    FtpTimeouts timeouts;
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    Stage stage = Stage::Idle;
    QByteArray baseUrl;
    QByteArray user;
    QByteArray password;
    QByteArray currentDirectory;

    // Server replies as they arrive (header callback).
    QByteArray reply;
    int openReplyCode = 0; // code of a multi-line reply still arriving
    QByteArray lastResponse;
    QByteArray lastVerb;
    uint32_t lastError = FtpError::None;
    int replyLines = 0; // reply lines so far: a server that answers is not silent

    FileWriter* writer = nullptr;

    // Every address the login tried, so a silent reconnection to the server can be refused.
    QList<sockaddr_storage> serverEndpoints;
    bool sessionLost = false;
    // The sockets libcurl opened to the server (the control connection), worker only: none left after a call
    // means the connection is gone, whatever the call's result said.
    QList<curl_socket_t> controlSockets;
    // We broke off the last transfer ourselves (a local file failed, a cancel), and libcurl may have dropped
    // the control connection over it: the next call may log in again, and goes back to our directory first.
    bool mayReconnect = false;

    // Set from the calling thread; the worker ends the running call at its next look.
    std::atomic<bool> cancel{false};
    // The sockets libcurl opened through us and has not closed yet. Once a put's last bytes are handed to the
    // system, libcurl waits for the server's final reply inside one call, where the cancel flag is not looked
    // at; a cancel shuts these sockets down so that wait ends at once.
    std::mutex socketsLock;
    QList<curl_socket_t> sockets;

    // Per-call sinks and sources.
    FileReplacement* target = nullptr;
    qint64 targetMaxBytes = 0; // 0: no cap
    qint64 targetBytes = 0;
    QByteArray* listing = nullptr;
    bool tooLong = false; // the writer refused bytes past the call's cap
    qint64 totalMs = 0;   // the call's total time bound; 0: none
    QFile* source = nullptr;
    qint64 moved = 0;          // data bytes of the running call, either way
    qint64 expectedBytes = -1; // a put's size: once all is sent, only the stall bound waits for the reply

    ~Impl() { release(); }

    void release()
    {
        if (easy)
            curl_easy_cleanup(easy);
        easy = nullptr;
        // The connection cache is the multi handle's: without it no control connection stays behind.
        if (multi)
            curl_multi_cleanup(multi);
        multi = nullptr;
        stage = Stage::Idle;
        serverEndpoints.clear();
        controlSockets.clear();
        sessionLost = false;
        mayReconnect = false;
        currentDirectory.clear();
    }

    uint32_t finish(uint32_t error)
    {
        lastError = error;
        return error;
    }

    void onReplyLine(QByteArray line)
    {
        ++replyLines;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (openReplyCode != 0) {
            if (reply.size() < MaxReplyBytes)
                reply += "\r\n" + line;
            if (replyCode(line) == openReplyCode && line.size() >= 4 && line.at(3) == ' ') {
                openReplyCode = 0;
                lastResponse = reply;
            }
            return;
        }
        const int code = replyCode(line);
        if (code == 0)
            return; // not a reply line (libcurl's own informational headers)
        reply = line.left(MaxReplyBytes);
        if (line.size() >= 4 && line.at(3) == '-')
            openReplyCode = code;
        else
            lastResponse = reply;
        qCDebug(lcTransfer) << "<" << line;
    }

    void onCommandSent(QByteArray line)
    {
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const qsizetype blank = line.indexOf(' ');
        lastVerb = (blank < 0 ? line : line.left(blank)).toUpper();
        qCDebug(lcTransfer) << ">" << (lastVerb == "PASS" ? QByteArray("PASS ****") : line);
    }

    curl_socket_t openSocket(curlsocktype purpose, curl_sockaddr* address)
    {
        const sockaddr* peer = &address->addr;
        if (purpose == CURLSOCKTYPE_IPCXN) {
            const auto isServer = [&](const sockaddr_storage& known) { return sameEndpoint(known, peer); };
            if (stage == Stage::Opening) {
                if (isUnspecifiedAddress(peer))
                    return CURL_SOCKET_BAD;
                if (serverEndpoints.size() < MaxServerEndpoints) {
                    sockaddr_storage endpoint{};
                    std::memcpy(&endpoint, peer, std::min<size_t>(address->addrlen, sizeof(endpoint)));
                    serverEndpoints.append(endpoint);
                }
            } else if (stage == Stage::Open && !mayReconnect &&
                       std::any_of(serverEndpoints.begin(), serverEndpoints.end(), isServer)) {
                // libcurl would log in again on a fresh connection, in another current directory.
                sessionLost = true;
                return CURL_SOCKET_BAD;
            }
        }
        const curl_socket_t opened = ::socket(address->family, address->socktype, address->protocol);
        if (opened != CURL_SOCKET_BAD) {
            if (purpose == CURLSOCKTYPE_IPCXN &&
                std::any_of(serverEndpoints.begin(), serverEndpoints.end(),
                            [&](const sockaddr_storage& known) { return sameEndpoint(known, peer); }))
                controlSockets.append(opened);
            const std::lock_guard lock(socketsLock);
            sockets.append(opened);
        }
        return opened;
    }

    int closeSocket(curl_socket_t socket)
    {
        controlSockets.removeOne(socket);
        const std::lock_guard lock(socketsLock);
        sockets.removeOne(socket);
        return ::close(socket);
    }

    // From the calling thread: the running call's connections end, whatever libcurl is waiting for. Under the
    // lock no listed socket can be closed and its number given to another file meanwhile.
    void breakOff()
    {
        const std::lock_guard lock(socketsLock);
        for (const curl_socket_t socket : sockets)
            ::shutdown(socket, SHUT_RDWR);
    }

    // The options every call sets, so nothing of the previous call leaks into the next.
    void prepare(const QByteArray& url)
    {
        curl_easy_setopt(easy, CURLOPT_URL, url.constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
        target = nullptr;
        targetMaxBytes = 0;
        targetBytes = 0;
        listing = nullptr;
        tooLong = false;
        totalMs = 0;
        source = nullptr;
        expectedBytes = -1;
    }

    // Drives the easy handle to its end on the multi handle, looking at the cancel flag and the call's bound
    // between socket waits. A cancel reads as libcurl's own abort, a broken bound as its timeout; taking
    // the handle off early drops the control connection, as both do.
    CURLcode drive(Bound bound)
    {
        if (!multi)
            multi = curl_multi_init();
        if (!multi || curl_multi_add_handle(multi, easy) != CURLM_OK)
            return CURLE_OUT_OF_MEMORY;
        moved = 0;
        QElapsedTimer clock;
        clock.start();
        RateFloor floor(timeouts.floorBytesPerSecond, timeouts.floorWindowSeconds);
        // libcurl's own speed check judges an average over seconds, so a burst before a silence would keep it
        // quiet for longer than the stall bound: the silence is measured here, on data and replies alike.
        const qint64 stallMs = qint64(std::max(1, timeouts.stallSeconds)) * 1000;
        qint64 lastActivityMs = 0;
        qint64 seenMoved = 0;
        int seenReplies = replyLines;
        CURLcode code = CURLE_OK;
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_OUT_OF_MEMORY;
                break;
            }
            bool done = false;
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    code = message->data.result;
                    done = true;
                }
            }
            if (done || running == 0)
                break;
            if (cancel.load()) {
                qCInfo(lcTransfer) << "FTP call cancelled";
                code = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            const qint64 now = clock.elapsed();
            if (moved != seenMoved || replyLines != seenReplies) {
                seenMoved = moved;
                seenReplies = replyLines;
                lastActivityMs = now;
            } else if (now - lastActivityMs >= stallMs) {
                qCWarning(lcTransfer) << "FTP call silent for" << now - lastActivityMs << "ms";
                code = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            if (totalMs > 0 && now >= totalMs) {
                qCWarning(lcTransfer) << "FTP call still running after" << now << "ms";
                code = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            const bool allSent = expectedBytes >= 0 && moved >= expectedBytes;
            if (bound == Bound::TransferFloor && !allSent && floor.tooSlow(now, moved)) {
                qCWarning(lcTransfer) << "transfer below" << timeouts.floorBytesPerSecond << "B/s over"
                                      << timeouts.floorWindowSeconds << "s:" << moved << "bytes in" << now << "ms";
                code = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, WorkerPollMs, nullptr);
        }
        if (code == CURLE_OK && (listing || target || source) && replyCode(lastResponse) / 100 == 1)
            code = waitOutAccept();
        curl_multi_remove_handle(multi, easy);
        // The connections a cancel shut down end the call with their own error.
        if (code != CURLE_OK && cancel.load())
            code = CURLE_ABORTED_BY_CALLBACK;
        return code;
    }

    // libcurl (7.88) ends an active transfer as done, without waiting for the data connection, when the
    // server's 1xx reply is already there at its first look after the command (a listing on a connection
    // already in ASCII sends LIST with no TYPE before it). The final reply never came: the data connection did
    // not open. The call waits out the accept bound libcurl skipped, and times out.
    CURLcode waitOutAccept()
    {
        qCWarning(lcTransfer) << "FTP transfer ended on" << lastResponse << "without its data connection";
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeouts.connectMs && !cancel.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::min<qint64>(WorkerPollMs, std::max<qint64>(1, timeouts.connectMs - clock.elapsed()))));
        return cancel.load() ? CURLE_ABORTED_BY_CALLBACK : CURLE_FTP_ACCEPT_TIMEOUT;
    }

    // One libcurl call. The quote commands go first, on the control connection; after a transfer we broke
    // off, a CWD back to our directory goes before them, so a new login does not work in the wrong place.
    uint32_t perform(const QByteArrayList& quoteCommands = {}, Bound bound = Bound::None)
    {
        QByteArrayList commands;
        if (mayReconnect && !currentDirectory.isEmpty())
            commands.append("CWD " + currentDirectory);
        commands += quoteCommands;
        curl_slist* list = nullptr;
        for (const QByteArray& command : commands) {
            curl_slist* longer = curl_slist_append(list, command.constData());
            if (!longer) {
                curl_slist_free_all(list);
                return FtpError::NotEnoughMemory;
            }
            list = longer;
        }
        const Slist quote(list);
        curl_easy_setopt(easy, CURLOPT_QUOTE, list);
        openReplyCode = 0;
        lastResponse.clear();
        const CURLcode code = drive(bound);
        curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
        long osErrno = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
        if (code != CURLE_OK)
            qCDebug(lcTransfer) << "libcurl:" << curl_easy_strerror(code);
        if (code == CURLE_OK)
            mayReconnect = false;
        else if (code == CURLE_WRITE_ERROR || code == CURLE_READ_ERROR || code == CURLE_ABORTED_BY_CALLBACK)
            mayReconnect = true;
        const uint32_t error = ftpErrorFromCurl({int(code), int(osErrno), lastVerb, sessionLost});
        if (error == FtpError::Timeout && stage == Stage::Open) {
            // A terminal that let a call time out (a stalled transfer, a data connection it never opened) is
            // gone for this session: the calls after it fail at once instead of each waiting its own timeout.
            qCWarning(lcTransfer) << "FTP call timed out: the session ends";
            release();
        } else if (stage == Stage::Open && !mayReconnect && controlSockets.isEmpty()) {
            // The peer closed the control connection, or libcurl dropped it over a reply it could not read.
            // After our own break-off libcurl may drop it too, and the next call logs in again instead.
            qCWarning(lcTransfer) << "FTP control connection lost: the session ends";
            release();
        }
        return error;
    }

    // One command sent as is; its reply decides. The '*' keeps libcurl from dropping the connection when
    // the server refuses, so a refused command leaves the session usable as it should.
    uint32_t command(const QByteArray& line)
    {
        prepare(baseUrl);
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        uint32_t error = perform({"*" + line});
        if (error == FtpError::None && (replyCode(lastResponse) >= 400 || replyCode(lastResponse) == 0))
            error = FtpError::ExtendedError;
        return error;
    }

    uint32_t checkReady(std::initializer_list<const QByteArray*> remoteTexts) const
    {
        if (stage != Stage::Open)
            return FtpError::InvalidHandle;
        for (const QByteArray* text : remoteTexts) {
            if (text->isEmpty() || hasControlCharacter(*text))
                return FtpError::InvalidParameter;
        }
        return FtpError::None;
    }

    // A transfer name with a leading slash would make libcurl go back to its login directory on the next
    // call, behind our current directory's back; terminal paths use backslashes anyway.
    uint32_t checkTransferName(const QByteArray& remoteName) const
    {
        if (const uint32_t error = checkReady({&remoteName}))
            return error;
        return remoteName.startsWith('/') ? FtpError::InvalidParameter : FtpError::None;
    }

    QByteArray fileUrl(const QByteArray& remoteName) const { return baseUrl + remoteName.toPercentEncoding(); }

    static size_t headerCallback(char* data, size_t size, size_t count, void* user)
    {
        static_cast<Impl*>(user)->onReplyLine(QByteArray(data, qsizetype(size * count)));
        return size * count;
    }

    static int debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* user)
    {
        if (type == CURLINFO_HEADER_OUT)
            static_cast<Impl*>(user)->onCommandSent(QByteArray(data, qsizetype(size)));
        return 0;
    }

    static curl_socket_t openSocketCallback(void* user, curlsocktype purpose, curl_sockaddr* address)
    {
        return static_cast<Impl*>(user)->openSocket(purpose, address);
    }

    static int closeSocketCallback(void* user, curl_socket_t socket)
    {
        return static_cast<Impl*>(user)->closeSocket(socket);
    }

    static size_t writeCallback(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const qsizetype bytes = qsizetype(size * count);
        self->moved += bytes;
        if (self->target) {
            // The chunk that would pass the cap is refused whole: the file never grows past it.
            if (self->targetMaxBytes > 0 && self->targetBytes + bytes > self->targetMaxBytes) {
                self->tooLong = true;
                return 0;
            }
            self->targetBytes += bytes;
            return self->target->write(QByteArrayView(data, bytes)) ? size * count : 0;
        }
        if (self->listing) {
            if (self->listing->size() + bytes > MaxListingBytes) {
                self->tooLong = true;
                return 0;
            }
            self->listing->append(data, bytes);
            return size * count;
        }
        return 0;
    }

    static size_t readCallback(char* buffer, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        if (!self->source)
            return CURL_READFUNC_ABORT;
        const qint64 got = self->source->read(buffer, qint64(size * count));
        if (got < 0)
            return CURL_READFUNC_ABORT;
        self->moved += got;
        return size_t(got);
    }

    uint32_t open(const QString& host, uint16_t port, const QByteArray& userName, const QByteArray& secret)
    {
        release();
        lastResponse.clear();
        lastVerb.clear();
        const QString name = host.trimmed();
        if (isUnspecifiedFtpHost(name) || !isPlainHost(name))
            return finish(FtpError::CannotConnect);
        if (hasControlCharacter(userName) || hasControlCharacter(secret))
            return finish(FtpError::InvalidParameter);

        easy = curl_easy_init();
        if (!easy)
            return finish(FtpError::NotEnoughMemory);
        const QByteArray hostPart = name.contains(QLatin1Char(':')) ? "[" + name.toLatin1() + "]" : name.toLatin1();
        baseUrl = "ftp://" + hostPart + ":" + QByteArray::number(port == 0 ? 21 : port) + "/";
        user = userName;
        password = secret;

        CURL* e = easy;
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, password.constData());
        // Active mode as the terminal expects: PORT on the control connection's own address, never EPRT.
        curl_easy_setopt(e, CURLOPT_FTPPORT, "-");
        curl_easy_setopt(e, CURLOPT_FTP_USE_EPRT, 0L);
        // Bare names on the server's current directory, which only our own CWD commands change.
        curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 0L);
        // RETR straight away, as the terminal has always been asked (no SIZE first).
        curl_easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(timeouts.connectMs));
        curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, long(timeouts.connectMs));
        curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, timeouts.stallSeconds)));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(std::max(1, timeouts.stallSeconds)));
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Impl::headerCallback);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Impl::debugCallback);
        curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &Impl::openSocketCallback);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Impl::closeSocketCallback);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, this);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Impl::writeCallback);
        curl_easy_setopt(e, CURLOPT_READFUNCTION, &Impl::readCallback);

        stage = Stage::Opening;
        prepare(baseUrl);
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
        const uint32_t error = perform();
        if (error != FtpError::None) {
            const QByteArray response = lastResponse;
            release();
            lastResponse = response;
            return finish(error);
        }
        stage = Stage::Open;
        return finish(FtpError::None);
    }

    uint32_t setCurrentDirectory(const QByteArray& path)
    {
        if (const uint32_t error = checkReady({&path}))
            return finish(error);
        const uint32_t error = command("CWD " + path);
        if (error == FtpError::None) {
            // Follow the change ourselves: \ and / separate, .. climbs, a leading separator starts at the root.
            QByteArrayList parts;
            const bool absolute = path.startsWith('\\') || path.startsWith('/');
            if (!absolute) {
                for (const QByteArray& part : currentDirectory.split('\\'))
                    if (!part.isEmpty())
                        parts.append(part);
            }
            for (const QByteArray& part : QByteArray(path).replace('/', '\\').split('\\')) {
                if (part.isEmpty() || part == ".")
                    continue;
                if (part == "..") {
                    if (!parts.isEmpty())
                        parts.removeLast();
                } else {
                    parts.append(part);
                }
            }
            currentDirectory = parts.isEmpty() ? QByteArray("\\") : "\\" + parts.join('\\') + "\\";
        }
        return finish(error);
    }

    uint32_t getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound)
    {
        if (const uint32_t error = checkTransferName(remoteName))
            return finish(error);
        FileWriteError writeError;
        std::unique_ptr<FileReplacement> replacement = writer->begin(localPath, &writeError);
        if (!replacement)
            return finish(localWriteError(writeError.number, FtpError::AccessDenied));
        prepare(fileUrl(remoteName));
        target = replacement.get();
        targetMaxBytes = fetchMaxBytes(timeouts, bound);
        totalMs = qint64(std::max(0, fetchTotalSeconds(timeouts, bound))) * 1000;
        uint32_t error = perform({}, Bound::TransferFloor);
        target = nullptr;
        if (tooLong) {
            qCWarning(lcTransfer) << "FTP get broken off: more than" << targetMaxBytes << "bytes";
            error = FtpError::InternalError;
        } else if (error == FtpError::WriteFault)
            error = localWriteError(replacement->error().number, FtpError::WriteFault);
        else if (error == FtpError::None && !replacement->commit())
            error = localWriteError(replacement->error().number, FtpError::WriteFault);
        // Dropping an uncommitted replacement discards the temporary file: an older file under the name stays.
        return finish(error);
    }

    uint32_t putFile(const QString& localPath, const QByteArray& remoteName)
    {
        if (const uint32_t error = checkTransferName(remoteName))
            return finish(error);
        // Never blocks (a FIFO without a writer), and anything but a regular file is no file to send.
        const int fd = ::open(QFile::encodeName(localPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return finish(errno == EACCES || errno == EPERM ? FtpError::AccessDenied : FtpError::FileNotFound);
        struct stat status {};
        QFile file;
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
            !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return finish(FtpError::FileNotFound);
        }
        prepare(fileUrl(remoteName));
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
        source = &file;
        expectedBytes = file.size();
        const uint32_t error = perform({}, Bound::TransferFloor);
        source = nullptr;
        return finish(error);
    }

    uint32_t deleteFile(const QByteArray& remoteName)
    {
        if (const uint32_t error = checkReady({&remoteName}))
            return finish(error);
        return finish(command("DELE " + remoteName));
    }

    uint32_t renameFile(const QByteArray& from, const QByteArray& to)
    {
        if (const uint32_t error = checkReady({&from, &to}))
            return finish(error);
        // Two calls, so a refused RNFR is reported with its own reply and RNTO is never sent.
        uint32_t error = command("RNFR " + from);
        if (error == FtpError::None)
            error = command("RNTO " + to);
        return finish(error);
    }

    uint32_t listDirectory(QByteArrayList* lines)
    {
        lines->clear();
        if (stage != Stage::Open)
            return finish(FtpError::InvalidHandle);
        QByteArray text;
        prepare(baseUrl);
        listing = &text;
        totalMs = qint64(std::max(0, timeouts.listingTotalSeconds)) * 1000;
        uint32_t error = perform();
        listing = nullptr;
        if (tooLong)
            error = FtpError::InternalError;
        if (error == FtpError::None) {
            for (QByteArray line : text.split('\n')) {
                if (line.endsWith('\r'))
                    line.chop(1);
                if (!line.isEmpty())
                    lines->append(line);
            }
        }
        return finish(error);
    }
};

// The thread that owns the curl handles. One job at a time; the caller waits for it, serving its own events
// when it has an event loop.
class CurlFtpClient::Worker {
public:
    Worker() : m_thread([this] { run(); }) {}

    ~Worker()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs the job on the worker and returns its result. While it runs this thread serves its pending events
    // every few milliseconds (when it has an event loop) and asks cancelCheck, which raises the cancel flag the
    // job looks at. A job done within the first slice costs one wake-up each way, nothing more.
    uint32_t execute(std::function<uint32_t()> job, const std::function<bool()>& cancelCheck, std::atomic<bool>& cancel,
                     const std::function<void()>& onCancel = {})
    {
        const bool serveEvents = QCoreApplication::instance() && QThread::currentThread()->eventDispatcher();
        std::unique_lock lock(m_mutex);
        m_job = std::move(job);
        m_done = false;
        m_wake.notify_all();
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(ServeEventsMs), [this] { return m_done; })) {
            lock.unlock();
            if (serveEvents)
                QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (cancelCheck && !cancel.load() && cancelCheck()) {
                cancel.store(true);
                if (onCancel)
                    onCancel();
            }
            lock.lock();
        }
        return m_result;
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || m_job; });
            if (!m_job)
                return;
            std::function<uint32_t()> job = std::move(m_job);
            m_job = nullptr;
            lock.unlock();
            const uint32_t result = job();
            lock.lock();
            m_result = result;
            m_done = true;
            m_wake.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<uint32_t()> m_job;
    bool m_done = false;
    bool m_stopping = false;
    uint32_t m_result = FtpError::None;
    std::thread m_thread; // last: it starts once the members above exist
};

CurlFtpClient::CurlFtpClient(FtpTimeouts timeouts, FileWriter* writer) : m_impl(std::make_unique<Impl>())
{
    m_impl->writer = writer ? writer : &AtomicFileWriter::standard();
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_impl->timeouts = timeouts;
    m_worker = std::make_unique<Worker>();
}

CurlFtpClient::~CurlFtpClient()
{
    // The worker goes first; the session then ends on this thread.
    m_worker.reset();
}

uint32_t CurlFtpClient::call(const std::function<uint32_t(Impl&)>& job)
{
    if (m_calling) {
        qCWarning(lcTransfer) << "FTP call refused: another one still runs";
        return FtpError::TransferInProgress;
    }
    m_calling = true;
    Impl& d = *m_impl;
    d.cancel.store(false);
    const std::function<bool()> cancelCheck = m_cancelCheck;
    const std::function<void(bool)> observer = m_observer;
    if (observer)
        observer(true);
    uint32_t result = m_worker->execute([&d, &job] { return job(d); }, cancelCheck, d.cancel, [&d] { d.breakOff(); });
    if (m_closeAfterCall) {
        // The session was closed while the call ran: the call ends with it.
        m_closeAfterCall = false;
        m_worker->execute(
            [&d] {
                d.release();
                return FtpError::None;
            },
            {}, d.cancel);
        if (result == FtpError::OperationCancelled)
            result = d.finish(FtpError::ConnectionAborted);
    }
    m_snapshot = {d.stage == Impl::Stage::Open, d.currentDirectory, d.lastResponse, d.lastError};
    m_calling = false;
    if (observer)
        observer(false);
    return result;
}

uint32_t CurlFtpClient::open(const QString& host, uint16_t port, const QByteArray& user, const QByteArray& password)
{
    return call([&](Impl& d) { return d.open(host, port, user, password); });
}

bool CurlFtpClient::isOpen() const
{
    return m_snapshot.open && !m_closeAfterCall;
}

void CurlFtpClient::close()
{
    if (m_calling) {
        m_closeAfterCall = true;
        m_impl->cancel.store(true);
        m_impl->breakOff();
        return;
    }
    call([](Impl& d) {
        d.release();
        return d.lastError;
    });
}

uint32_t CurlFtpClient::setCurrentDirectory(const QByteArray& path)
{
    return call([&](Impl& d) { return d.setCurrentDirectory(path); });
}

QByteArray CurlFtpClient::currentDirectory() const
{
    return m_snapshot.currentDirectory;
}

uint32_t CurlFtpClient::getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound)
{
    return call([&](Impl& d) { return d.getFile(remoteName, localPath, bound); });
}

uint32_t CurlFtpClient::putFile(const QString& localPath, const QByteArray& remoteName)
{
    return call([&](Impl& d) { return d.putFile(localPath, remoteName); });
}

uint32_t CurlFtpClient::deleteFile(const QByteArray& remoteName)
{
    return call([&](Impl& d) { return d.deleteFile(remoteName); });
}

uint32_t CurlFtpClient::renameFile(const QByteArray& from, const QByteArray& to)
{
    return call([&](Impl& d) { return d.renameFile(from, to); });
}

uint32_t CurlFtpClient::listDirectory(QByteArrayList* lines)
{
    return call([&](Impl& d) { return d.listDirectory(lines); });
}

QByteArray CurlFtpClient::lastResponse() const
{
    return m_snapshot.lastResponse;
}

uint32_t CurlFtpClient::lastError() const
{
    return m_snapshot.lastError;
}

void CurlFtpClient::setCancelCheck(std::function<bool()> check)
{
    m_cancelCheck = std::move(check);
}

void CurlFtpClient::setCallObserver(std::function<void(bool running)> observer)
{
    m_observer = std::move(observer);
}

} // namespace jvz
