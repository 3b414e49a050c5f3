#include "FtpClient.h"

#include "platform/FileWriter.h"
#include "platform/TransferLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>

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

struct CurlFtpClient::Impl {
    enum class Stage { Idle, Opening, Open };

    FtpTimeouts timeouts;
    CURL* easy = nullptr;
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

    FileWriter* writer = nullptr;

    // Every address the login tried, so a silent reconnection to the server can be refused.
    QList<sockaddr_storage> serverEndpoints;
    bool sessionLost = false;
    // We broke off the last transfer ourselves (a local file failed), and libcurl may have dropped the
    // control connection over it: the next call may log in again, and goes back to our directory first.
    bool mayReconnect = false;

    // Per-call sinks and sources.
    FileReplacement* target = nullptr;
    QByteArray* listing = nullptr;
    bool listingTooLong = false;
    QFile* source = nullptr;

    ~Impl() { release(); }

    void release()
    {
        if (easy)
            curl_easy_cleanup(easy);
        easy = nullptr;
        stage = Stage::Idle;
        serverEndpoints.clear();
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
        return ::socket(address->family, address->socktype, address->protocol);
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
        listing = nullptr;
        listingTooLong = false;
        source = nullptr;
    }

    // One libcurl call. The quote commands go first, on the control connection; after a transfer we broke
    // off, a CWD back to our directory goes before them, so a new login does not work in the wrong place.
    uint32_t perform(const QByteArrayList& quoteCommands = {})
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
        const CURLcode code = curl_easy_perform(easy);
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

    static size_t writeCallback(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const qsizetype bytes = qsizetype(size * count);
        if (self->target)
            return self->target->write(QByteArrayView(data, bytes)) ? size * count : 0;
        if (self->listing) {
            if (self->listing->size() + bytes > MaxListingBytes) {
                self->listingTooLong = true;
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
        return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
    }
};

CurlFtpClient::CurlFtpClient(FtpTimeouts timeouts, FileWriter* writer) : m_impl(std::make_unique<Impl>())
{
    m_impl->writer = writer ? writer : &AtomicFileWriter::standard();
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_impl->timeouts = timeouts;
}

CurlFtpClient::~CurlFtpClient() = default;

uint32_t CurlFtpClient::open(const QString& host, uint16_t port, const QByteArray& user, const QByteArray& password)
{
    Impl& d = *m_impl;
    d.release();
    d.lastResponse.clear();
    d.lastVerb.clear();
    const QString name = host.trimmed();
    if (isUnspecifiedFtpHost(name) || !isPlainHost(name))
        return d.finish(FtpError::CannotConnect);
    if (hasControlCharacter(user) || hasControlCharacter(password))
        return d.finish(FtpError::InvalidParameter);

    d.easy = curl_easy_init();
    if (!d.easy)
        return d.finish(FtpError::NotEnoughMemory);
    const QByteArray hostPart = name.contains(QLatin1Char(':')) ? "[" + name.toLatin1() + "]" : name.toLatin1();
    d.baseUrl = "ftp://" + hostPart + ":" + QByteArray::number(port == 0 ? 21 : port) + "/";
    d.user = user;
    d.password = password;

    CURL* e = d.easy;
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_USERNAME, d.user.constData());
    curl_easy_setopt(e, CURLOPT_PASSWORD, d.password.constData());
    // Active mode as the terminal expects: PORT on the control connection's own address, never EPRT.
    curl_easy_setopt(e, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(e, CURLOPT_FTP_USE_EPRT, 0L);
    // Bare names on the server's current directory, which only our own CWD commands change.
    curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 0L);
    // RETR straight away, as the terminal has always been asked (no SIZE first).
    curl_easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(d.timeouts.connectMs));
    curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, long(d.timeouts.connectMs));
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, d.timeouts.stallSeconds)));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(std::max(1, d.timeouts.stallSeconds)));
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Impl::headerCallback);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &d);
    curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Impl::debugCallback);
    curl_easy_setopt(e, CURLOPT_DEBUGDATA, &d);
    curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &Impl::openSocketCallback);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, &d);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Impl::writeCallback);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &Impl::readCallback);

    d.stage = Impl::Stage::Opening;
    d.prepare(d.baseUrl);
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    const uint32_t error = d.perform();
    if (error != FtpError::None) {
        const QByteArray response = d.lastResponse;
        d.release();
        d.lastResponse = response;
        return d.finish(error);
    }
    d.stage = Impl::Stage::Open;
    return d.finish(FtpError::None);
}

bool CurlFtpClient::isOpen() const
{
    return m_impl->stage == Impl::Stage::Open;
}

void CurlFtpClient::close()
{
    m_impl->release();
}

uint32_t CurlFtpClient::setCurrentDirectory(const QByteArray& path)
{
    Impl& d = *m_impl;
    if (const uint32_t error = d.checkReady({&path}))
        return d.finish(error);
    const uint32_t error = d.command("CWD " + path);
    if (error == FtpError::None) {
        // Follow the change ourselves: \ and / separate, .. climbs, a leading separator starts at the root.
        QByteArrayList parts;
        const bool absolute = path.startsWith('\\') || path.startsWith('/');
        if (!absolute) {
            for (const QByteArray& part : d.currentDirectory.split('\\'))
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
        d.currentDirectory = parts.isEmpty() ? QByteArray("\\") : "\\" + parts.join('\\') + "\\";
    }
    return d.finish(error);
}

QByteArray CurlFtpClient::currentDirectory() const
{
    return m_impl->currentDirectory;
}

uint32_t CurlFtpClient::getFile(const QByteArray& remoteName, const QString& localPath)
{
    Impl& d = *m_impl;
    if (const uint32_t error = d.checkTransferName(remoteName))
        return d.finish(error);
    FileWriteError writeError;
    std::unique_ptr<FileReplacement> target = d.writer->begin(localPath, &writeError);
    if (!target)
        return d.finish(localWriteError(writeError.number, FtpError::AccessDenied));
    d.prepare(d.fileUrl(remoteName));
    d.target = target.get();
    uint32_t error = d.perform();
    d.target = nullptr;
    if (error == FtpError::WriteFault)
        error = localWriteError(target->error().number, FtpError::WriteFault);
    else if (error == FtpError::None && !target->commit())
        error = localWriteError(target->error().number, FtpError::WriteFault);
    // Dropping an uncommitted replacement discards the temporary file: an older file under the name stays.
    return d.finish(error);
}

uint32_t CurlFtpClient::putFile(const QString& localPath, const QByteArray& remoteName)
{
    Impl& d = *m_impl;
    if (const uint32_t error = d.checkTransferName(remoteName))
        return d.finish(error);
    QFile source(localPath);
    if (!source.open(QIODevice::ReadOnly))
        return d.finish(source.exists() ? FtpError::AccessDenied : FtpError::FileNotFound);
    d.prepare(d.fileUrl(remoteName));
    curl_easy_setopt(d.easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d.easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(source.size()));
    d.source = &source;
    const uint32_t error = d.perform();
    d.source = nullptr;
    return d.finish(error);
}

uint32_t CurlFtpClient::deleteFile(const QByteArray& remoteName)
{
    Impl& d = *m_impl;
    if (const uint32_t error = d.checkReady({&remoteName}))
        return d.finish(error);
    return d.finish(d.command("DELE " + remoteName));
}

uint32_t CurlFtpClient::renameFile(const QByteArray& from, const QByteArray& to)
{
    Impl& d = *m_impl;
    if (const uint32_t error = d.checkReady({&from, &to}))
        return d.finish(error);
    // Two calls, so a refused RNFR is reported with its own reply and RNTO is never sent.
    uint32_t error = d.command("RNFR " + from);
    if (error == FtpError::None)
        error = d.command("RNTO " + to);
    return d.finish(error);
}

uint32_t CurlFtpClient::listDirectory(QByteArrayList* lines)
{
    Impl& d = *m_impl;
    lines->clear();
    if (d.stage != Impl::Stage::Open)
        return d.finish(FtpError::InvalidHandle);
    QByteArray listing;
    d.prepare(d.baseUrl);
    d.listing = &listing;
    uint32_t error = d.perform();
    d.listing = nullptr;
    if (d.listingTooLong)
        error = FtpError::InternalError;
    if (error == FtpError::None) {
        for (QByteArray line : listing.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                lines->append(line);
        }
    }
    return d.finish(error);
}

QByteArray CurlFtpClient::lastResponse() const
{
    return m_impl->lastResponse;
}

uint32_t CurlFtpClient::lastError() const
{
    return m_impl->lastError;
}

} // namespace jvz
