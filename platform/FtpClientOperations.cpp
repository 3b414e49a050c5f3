#include "FtpClientOperations.h"

#include "platform/FileWriter.h"
#include "platform/TransferLog.h"
#include "platform/posix/PlainFiles.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <unistd.h>

namespace jvz {

namespace {

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

} // namespace

uint32_t CurlFtpClient::Impl::finish(uint32_t error)
{
    lastError = error;
    return error;
}

// One command sent as is; its reply decides. The '*' keeps libcurl from dropping the connection when
// the server refuses, so a refused command leaves the session usable as it should.
uint32_t CurlFtpClient::Impl::command(const QByteArray& line)
{
    session.prepare(baseUrl);
    curl_easy_setopt(session.easy, CURLOPT_NOBODY, 1L);
    uint32_t error = session.perform({"*" + line});
    if (error == FtpError::None &&
        (ftpReplyCode(session.replies.lastResponse) >= 400 || ftpReplyCode(session.replies.lastResponse) == 0))
        error = FtpError::ExtendedError;
    return error;
}

uint32_t CurlFtpClient::Impl::checkReady(std::initializer_list<const QByteArray*> remoteTexts) const
{
    if (session.stage != Stage::Open)
        return FtpError::InvalidHandle;
    for (const QByteArray* text : remoteTexts) {
        if (text->isEmpty() || hasControlCharacter(*text))
            return FtpError::InvalidParameter;
    }
    return FtpError::None;
}

// A transfer name with a leading slash would make libcurl go back to its login directory on the next
// call, behind our current directory's back; terminal paths use backslashes anyway.
uint32_t CurlFtpClient::Impl::checkTransferName(const QByteArray& remoteName) const
{
    if (const uint32_t error = checkReady({&remoteName}))
        return error;
    return remoteName.startsWith('/') ? FtpError::InvalidParameter : FtpError::None;
}

uint32_t CurlFtpClient::Impl::open(const QString& host, uint16_t port, const QByteArray& userName,
                                   const QByteArray& secret)
{
    session.release();
    session.replies.lastResponse.clear();
    session.replies.lastVerb.clear();
    const QString name = host.trimmed();
    if (isUnspecifiedFtpHost(name) || !isPlainHost(name))
        return finish(FtpError::CannotConnect);
    if (hasControlCharacter(userName) || hasControlCharacter(secret))
        return finish(FtpError::InvalidParameter);

    session.easy = curl_easy_init();
    if (!session.easy)
        return finish(FtpError::NotEnoughMemory);
    const QByteArray hostPart = name.contains(QLatin1Char(':')) ? "[" + name.toLatin1() + "]" : name.toLatin1();
    baseUrl = "ftp://" + hostPart + ":" + QByteArray::number(port == 0 ? 21 : port) + "/";
    user = userName;
    password = secret;

    CURL* e = session.easy;
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
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(session.timeouts.connectMs));
    curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, long(session.timeouts.connectMs));
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, session.timeouts.stallSeconds)));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(std::max(1, session.timeouts.stallSeconds)));
    // Nothing of ours ends an idle session: libcurl's own age limits would drop the control connection and
    // the next call would be refused as a second login.
    const int idleKeep = session.timeouts.idleKeepSeconds;
    curl_easy_setopt(e, CURLOPT_MAXAGE_CONN, idleKeep > 0 ? long(idleKeep) : std::numeric_limits<long>::max());
    curl_easy_setopt(e, CURLOPT_MAXLIFETIME_CONN, 0L);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &FtpReplyReader::headerCallback);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &session.replies);
    curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &FtpReplyReader::debugCallback);
    curl_easy_setopt(e, CURLOPT_DEBUGDATA, &session.replies);
    curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &FtpCurlSession::openSocketCallback);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, &session);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &FtpCurlSession::closeSocketCallback);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, &session);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &FtpCurlSession::writeCallback);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &FtpCurlSession::readCallback);

    session.stage = Stage::Opening;
    session.prepare(baseUrl);
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    const uint32_t error = session.perform();
    if (error != FtpError::None) {
        const QByteArray response = session.replies.lastResponse;
        session.release();
        session.replies.lastResponse = response;
        return finish(error);
    }
    session.stage = Stage::Open;
    return finish(FtpError::None);
}

uint32_t CurlFtpClient::Impl::setCurrentDirectory(const QByteArray& path)
{
    if (const uint32_t error = checkReady({&path}))
        return finish(error);
    const uint32_t error = command("CWD " + path);
    if (error == FtpError::None) {
        // Follow the change ourselves: \ and / separate, .. climbs, a leading separator starts at the root.
        QByteArrayList parts;
        const bool absolute = path.startsWith('\\') || path.startsWith('/');
        if (!absolute) {
            for (const QByteArray& part : session.currentDirectory.split('\\'))
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
        session.currentDirectory = parts.isEmpty() ? QByteArray("\\") : "\\" + parts.join('\\') + "\\";
    }
    return finish(error);
}

uint32_t CurlFtpClient::Impl::getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound)
{
    if (const uint32_t error = checkTransferName(remoteName))
        return finish(error);
    FileWriteError writeError;
    std::unique_ptr<FileReplacement> replacement = writer->begin(localPath, &writeError);
    if (!replacement)
        return finish(localWriteError(writeError.number, FtpError::AccessDenied));
    session.prepare(fileUrl(remoteName));
    session.target = replacement.get();
    session.targetMaxBytes = fetchMaxBytes(session.timeouts, bound);
    session.totalMs = qint64(std::max(0, fetchTotalSeconds(session.timeouts, bound))) * 1000;
    uint32_t error = session.perform({}, Bound::TransferFloor);
    session.target = nullptr;
    if (session.tooLong) {
        qCWarning(lcTransfer) << "FTP get broken off: more than" << session.targetMaxBytes << "bytes";
        error = fetchCapFollowsSize(session.timeouts, bound) ? FtpError::LargerThanListed : FtpError::InternalError;
    } else if (error == FtpError::WriteFault)
        error = localWriteError(replacement->error().number, FtpError::WriteFault);
    else if (error == FtpError::None && !replacement->commit())
        error = localWriteError(replacement->error().number, FtpError::WriteFault);
    // Dropping an uncommitted replacement discards the temporary file: an older file under the name stays.
    return finish(error);
}

uint32_t CurlFtpClient::Impl::fileSize(const QByteArray& remoteName, qint64* bytes)
{
    *bytes = -1;
    if (const uint32_t error = checkTransferName(remoteName))
        return finish(error);
    // A size in ASCII would count line ends the binary get never brings; some servers refuse it there.
    uint32_t error = command("TYPE I");
    if (error == FtpError::None)
        error = command("SIZE " + remoteName);
    if (error != FtpError::None)
        return finish(error);
    const std::optional<qint64> size = ftpSizeReply(session.replies.lastResponse);
    if (!size)
        return finish(FtpError::ExtendedError);
    *bytes = *size;
    return finish(FtpError::None);
}

uint32_t CurlFtpClient::Impl::putFile(const QString& localPath, const QByteArray& remoteName)
{
    if (const uint32_t error = checkTransferName(remoteName))
        return finish(error);
    // Never blocks (a FIFO without a writer), and anything but a regular file is no file to send.
    jvzio::InputStatus status = jvzio::InputStatus::Failed;
    const int fd = jvzio::openRegularInput(QFile::encodeName(localPath).toStdString(), status);
    if (fd < 0)
        return finish(status == jvzio::InputStatus::Failed && (errno == EACCES || errno == EPERM)
                          ? FtpError::AccessDenied
                          : FtpError::FileNotFound);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return finish(FtpError::FileNotFound);
    }
    session.prepare(fileUrl(remoteName));
    curl_easy_setopt(session.easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(session.easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    session.source = &file;
    session.expectedBytes = file.size();
    const uint32_t error = session.perform({}, Bound::TransferFloor);
    session.source = nullptr;
    return finish(error);
}

uint32_t CurlFtpClient::Impl::deleteFile(const QByteArray& remoteName)
{
    if (const uint32_t error = checkReady({&remoteName}))
        return finish(error);
    return finish(command("DELE " + remoteName));
}

uint32_t CurlFtpClient::Impl::renameFile(const QByteArray& from, const QByteArray& to)
{
    if (const uint32_t error = checkReady({&from, &to}))
        return finish(error);
    // Two calls, so a refused RNFR is reported with its own reply and RNTO is never sent.
    uint32_t error = command("RNFR " + from);
    if (error == FtpError::None)
        error = command("RNTO " + to);
    return finish(error);
}

uint32_t CurlFtpClient::Impl::listDirectory(QByteArrayList* lines)
{
    lines->clear();
    if (session.stage != Stage::Open)
        return finish(FtpError::InvalidHandle);
    QByteArray text;
    session.prepare(baseUrl);
    session.listing = &text;
    session.totalMs = qint64(std::max(0, session.timeouts.listingTotalSeconds)) * 1000;
    uint32_t error = session.perform();
    session.listing = nullptr;
    if (session.tooLong)
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

} // namespace jvz
