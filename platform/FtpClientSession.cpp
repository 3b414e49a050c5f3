#include "FtpClientSession.h"

#include "platform/FileWriter.h"
#include "platform/TransferLog.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <deque>
#include <memory>
#include <netinet/in.h>
#include <thread>
#include <unistd.h>

namespace jvz {

namespace {

// A listing larger than this is not a terminal's directory.
constexpr qsizetype MaxListingBytes = 16 * 1024 * 1024;
// Addresses a host name may give for one login.
constexpr qsizetype MaxServerEndpoints = 16;

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

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

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

} // namespace

void FtpCurlSession::release()
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

curl_socket_t FtpCurlSession::openSocket(curlsocktype purpose, curl_sockaddr* address)
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

int FtpCurlSession::closeSocket(curl_socket_t socket)
{
    controlSockets.removeOne(socket);
    const std::lock_guard lock(socketsLock);
    sockets.removeOne(socket);
    return ::close(socket);
}

// From the calling thread: the running call's connections end, whatever libcurl is waiting for. Under the
// lock no listed socket can be closed and its number given to another file meanwhile.
void FtpCurlSession::breakOff()
{
    const std::lock_guard lock(socketsLock);
    for (const curl_socket_t socket : sockets)
        ::shutdown(socket, SHUT_RDWR);
}

// The options every call sets, so nothing of the previous call leaks into the next.
void FtpCurlSession::prepare(const QByteArray& url)
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
CURLcode FtpCurlSession::drive(Bound bound)
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
    int seenReplies = replies.replyLines;
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
        if (moved != seenMoved || replies.replyLines != seenReplies) {
            seenMoved = moved;
            seenReplies = replies.replyLines;
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
    if (code == CURLE_OK && (listing || target || source) && ftpReplyCode(replies.lastResponse) / 100 == 1)
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
CURLcode FtpCurlSession::waitOutAccept()
{
    qCWarning(lcTransfer) << "FTP transfer ended on" << replies.lastResponse << "without its data connection";
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeouts.connectMs && !cancel.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::min<qint64>(WorkerPollMs, std::max<qint64>(1, timeouts.connectMs - clock.elapsed()))));
    return cancel.load() ? CURLE_ABORTED_BY_CALLBACK : CURLE_FTP_ACCEPT_TIMEOUT;
}

// One libcurl call. The quote commands go first, on the control connection; after a transfer we broke
// off, a CWD back to our directory goes before them, so a new login does not work in the wrong place.
uint32_t FtpCurlSession::perform(const QByteArrayList& quoteCommands, Bound bound)
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
    replies.openReplyCode = 0;
    replies.lastResponse.clear();
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
    const int replyCode = code == CURLE_OK ? 0 : ftpReplyCode(replies.lastResponse);
    const uint32_t error = ftpErrorFromCurl({int(code), int(osErrno), replies.lastVerb, sessionLost, replyCode});
    if (code != CURLE_OK && ftpReplyClosesSession(replies.lastResponse) && stage == Stage::Open) {
        qCWarning(lcTransfer) << "the terminal closed the control connection:" << replies.lastResponse;
        release();
    } else if (error == FtpError::Timeout && stage == Stage::Open) {
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

curl_socket_t FtpCurlSession::openSocketCallback(void* user, curlsocktype purpose, curl_sockaddr* address)
{
    return static_cast<FtpCurlSession*>(user)->openSocket(purpose, address);
}

int FtpCurlSession::closeSocketCallback(void* user, curl_socket_t socket)
{
    return static_cast<FtpCurlSession*>(user)->closeSocket(socket);
}

size_t FtpCurlSession::writeCallback(char* data, size_t size, size_t count, void* user)
{
    auto* self = static_cast<FtpCurlSession*>(user);
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

size_t FtpCurlSession::readCallback(char* buffer, size_t size, size_t count, void* user)
{
    auto* self = static_cast<FtpCurlSession*>(user);
    if (!self->source)
        return CURL_READFUNC_ABORT;
    const qint64 got = self->source->read(buffer, qint64(size * count));
    if (got < 0)
        return CURL_READFUNC_ABORT;
    self->moved += got;
    return size_t(got);
}

} // namespace jvz
