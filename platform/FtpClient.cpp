#include "FtpClient.h"

#include "platform/FileWriter.h"
#include "platform/FtpClientOperations.h"
#include "platform/NestedWait.h"
#include "platform/TransferLog.h"

#include <QHostAddress>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <curl/curl.h>
#include <limits>
#include <mutex>
#include <netinet/in.h>
#include <thread>

namespace jvz {

namespace {

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

// "Service not available, closing control connection": the one reply after which the server hangs up.
constexpr int SessionClosingReply = 421;

// How often the calling thread serves its events and asks its cancel check while a call runs.
constexpr int ServeEventsMs = 10;

} // namespace

uint32_t ftpErrorFromCurl(const CurlFailure& failure)
{
    if (failure.curlCode == CURLE_OK)
        return FtpError::None;
    // libcurl reads a 421 as its own timeout; the terminal closed the connection.
    if (failure.sessionLost || failure.lastReplyCode == SessionClosingReply)
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

bool ftpReplyClosesSession(const QByteArray& reply)
{
    return ftpReplyCode(reply) == SessionClosingReply;
}

bool fetchCapFollowsSize(const FtpTimeouts& timeouts, const FetchBound& bound)
{
    return bound.kind == FetchBound::Kind::Listed && bound.listedBytes >= 0 &&
           (timeouts.unlistedMaxBytes <= 0 || fetchMaxBytes(timeouts, bound) < timeouts.unlistedMaxBytes);
}

qint64 fetchMaxBytes(const FtpTimeouts& timeouts, const FetchBound& bound)
{
    switch (bound.kind) {
    case FetchBound::Kind::ControlFile:
        return timeouts.controlFileMaxBytes;
    case FetchBound::Kind::Listed:
        if (bound.listedBytes >= 0) {
            const qint64 margin = std::max(timeouts.listedMarginBytes, bound.listedBytes / 8);
            const qint64 cap = std::min(bound.listedBytes, std::numeric_limits<qint64>::max() - margin) + margin;
            // A size is the terminal's word: it never lifts the fixed cap.
            return timeouts.unlistedMaxBytes > 0 ? std::min(cap, timeouts.unlistedMaxBytes) : cap;
        }
        return timeouts.unlistedMaxBytes;
    case FetchBound::Kind::Unlisted:
        return timeouts.unlistedMaxBytes;
    }
    return timeouts.unlistedMaxBytes;
}

int fetchTotalSeconds(const FtpTimeouts& timeouts, const FetchBound& bound)
{
    const int listing = std::max(0, timeouts.listingTotalSeconds);
    switch (bound.kind) {
    case FetchBound::Kind::ControlFile:
        return timeouts.controlFileTotalSeconds;
    case FetchBound::Kind::Listed:
        if (bound.listedBytes >= 0) {
            // Without a floor the size says nothing about the time: no bound.
            if (timeouts.floorBytesPerSecond <= 0)
                return 0;
            const qint64 bytes = timeouts.unlistedMaxBytes > 0 ? std::min(bound.listedBytes, timeouts.unlistedMaxBytes)
                                                               : bound.listedBytes;
            const qint64 atFloor =
                bytes / timeouts.floorBytesPerSecond + (bytes % timeouts.floorBytesPerSecond != 0 ? 1 : 0);
            return int(std::min<qint64>(atFloor + listing, std::numeric_limits<int>::max()));
        }
        return listing;
    case FetchBound::Kind::Unlisted:
        return listing;
    }
    return listing;
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
        {
            const std::lock_guard lock(m_mutex);
            m_job = std::move(job);
            m_done = false;
        }
        m_wake.notify_all();
        // Serving, never a nested loop: what the caller released with deleteLater stays for the whole call.
        waitServingSlices(
            std::chrono::milliseconds(ServeEventsMs), true,
            [this](std::chrono::milliseconds slice) {
                std::unique_lock lock(m_mutex);
                return m_wake.wait_for(lock, slice, [this] { return m_done; });
            },
            [&] {
                if (cancelCheck && !cancel.load() && cancelCheck()) {
                    cancel.store(true);
                    if (onCancel)
                        onCancel();
                }
            });
        const std::lock_guard lock(m_mutex);
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
    m_impl->session.timeouts = timeouts;
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
    d.session.cancel.store(false);
    const std::function<bool()> cancelCheck = m_cancelCheck;
    const std::function<void(bool)> observer = m_observer;
    if (observer)
        observer(true);
    uint32_t result =
        m_worker->execute([&d, &job] { return job(d); }, cancelCheck, d.session.cancel, [&d] { d.session.breakOff(); });
    if (m_closeAfterCall) {
        // The session was closed while the call ran: the call ends with it.
        m_closeAfterCall = false;
        m_worker->execute(
            [&d] {
                d.session.release();
                return FtpError::None;
            },
            {}, d.session.cancel);
        if (result == FtpError::OperationCancelled)
            result = d.finish(FtpError::ConnectionAborted);
    }
    m_snapshot = {d.session.stage == Impl::Stage::Open, d.session.currentDirectory, d.session.replies.lastResponse,
                  d.lastError};
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
        m_impl->session.cancel.store(true);
        m_impl->session.breakOff();
        return;
    }
    call([](Impl& d) {
        d.session.release();
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

uint32_t CurlFtpClient::fileSize(const QByteArray& remoteName, qint64* bytes)
{
    *bytes = -1; // also when the call is refused
    return call([&](Impl& d) { return d.fileSize(remoteName, bytes); });
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

void CurlFtpClient::breakOffCall()
{
    if (!m_calling || m_impl->session.cancel.load())
        return;
    m_impl->session.cancel.store(true);
    m_impl->session.breakOff();
}

void CurlFtpClient::setCallObserver(std::function<void(bool running)> observer)
{
    m_observer = std::move(observer);
}

} // namespace jvz
