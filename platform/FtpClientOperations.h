#pragma once

#include "platform/FtpClient.h"
#include "platform/FtpClientSession.h"

#include <initializer_list>

namespace jvz {

// The client's operations, each one or a few calls on the curl session. Worker only.
struct CurlFtpClient::Impl {
    using Stage = FtpCurlSession::Stage;
    using Bound = FtpCurlSession::Bound;

    QByteArray baseUrl;
    QByteArray user;
    QByteArray password;
    uint32_t lastError = FtpError::None;
    FileWriter* writer = nullptr;
    // Last, so the session ends before the rest goes.
    FtpCurlSession session;

    uint32_t finish(uint32_t error);

    uint32_t open(const QString& host, uint16_t port, const QByteArray& userName, const QByteArray& secret);
    uint32_t setCurrentDirectory(const QByteArray& path);
    uint32_t getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound);
    uint32_t fileSize(const QByteArray& remoteName, qint64* bytes);
    uint32_t putFile(const QString& localPath, const QByteArray& remoteName);
    uint32_t deleteFile(const QByteArray& remoteName);
    uint32_t renameFile(const QByteArray& from, const QByteArray& to);
    uint32_t listDirectory(QByteArrayList* lines);

private:
    uint32_t command(const QByteArray& line);
    uint32_t checkReady(std::initializer_list<const QByteArray*> remoteTexts) const;
    uint32_t checkTransferName(const QByteArray& remoteName) const;
    QByteArray fileUrl(const QByteArray& remoteName) const { return baseUrl + remoteName.toPercentEncoding(); }
};

} // namespace jvz
