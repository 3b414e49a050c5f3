#include "session/Wininet.h"

#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/Cp1252.h"
#include "core/MBLanguages.h"
#include "platform/FtpClient.h"
#include "platform/Notifier.h"
#include "session/SessionLog.h"

namespace jvz {

namespace {

QString text(const MBLanguages& language, const char* key)
{
    return language.GetFormLabel(QString::fromLatin1(key));
}

} // namespace

const char* ftpErrorMessageKey(uint32_t error)
{
    switch (error) {
    case FtpError::ExtendedError:
        return "MSG_FileError";
    case FtpError::LargerThanListed:
        return "MSG_FtpLargerThanListed";
    case FtpError::IncorrectUserName:
        return "MSG_ERROR_INTERNET_INCORRECT_USER_NAME";
    case FtpError::IncorrectPassword:
        return "MSG_ERROR_INTERNET_INCORRECT_PASSWORD";
    case FtpError::CannotConnect:
        return "MSG_ERROR_INTERNET_CANNOT_CONNECT";
    case FtpError::ConnectionAborted:
        return "MSG_ERROR_INTERNET_CONNECTION_ABORTED";
    case FtpError::ConnectionReset:
        return "MSG_ERROR_INTERNET_CONNECTION_RESET";
    }
    return nullptr;
}

QString ftpErrorMessage(uint32_t error, const QString& functionName, const MBLanguages& language,
                        const QByteArray& lastResponse)
{
    const QString head = text(language, "ErrorIn") + QLatin1Char(' ') + functionName + QLatin1Char(' ') +
                         text(language, "Function") + QLatin1Char('.');
    if (error == FtpError::ExtendedError)
        return head + kCrLf + text(language, "MSG_FileError") + kCrLf + text(language, "ExtendedError") +
               QLatin1Char(' ') + Cp1252::decode(lastResponse);
    // The terminal said it closes the session: its own words tell why.
    if (error == FtpError::ConnectionAborted && ftpReplyClosesSession(lastResponse))
        return head + kCrLf + text(language, "MSG_FtpClosedByTerminal") + kCrLf + text(language, "ExtendedError") +
               QLatin1Char(' ') + Cp1252::decode(lastResponse);
    if (const char* key = ftpErrorMessageKey(error))
        return head + kCrLf + text(language, key);
    return head + text(language, "ErrorNumber:") + QString::number(error);
}

Wininet::Wininet(LinkState& link, FtpClient& client, Notifier& notifier, BatchRun& batch, uint16_t port)
    : m_link(link), m_client(client), m_notifier(notifier), m_batch(batch), m_port(port)
{
}

uint32_t Wininet::FtpOpenConnection(const QString& server, const QString& user, const QString& password,
                                    const MBLanguages& language)
{
    // Never two sessions: the handles of an earlier one would be lost.
    FtpCloseConnection();
    m_link.ghInternet = &m_client;
    const uint32_t error = m_client.open(server, m_port, Cp1252::encode(user), Cp1252::encode(password));
    if (error != FtpError::None) {
        ReportFtpError(error, QStringLiteral("InternetConnect"), language);
        return error;
    }
    m_link.ghFtpSession = &m_client;
    return FtpError::None;
}

uint32_t Wininet::FtpChangeDirectory(const QString& path, const MBLanguages& language)
{
    if (path.isEmpty())
        return FtpError::None;
    const uint32_t error = m_client.setCurrentDirectory(Cp1252::encode(path));
    if (error != FtpError::None)
        ReportFtpError(error, QStringLiteral("FtpSetCurrentDirectory"), language);
    return error;
}

bool Wininet::ReportFtpError(uint32_t error, const QString& functionName, const MBLanguages& language)
{
    const QString message = ftpErrorMessage(error, functionName, language, m_client.lastResponse());
    qCInfo(lcSession) << "FTP error" << error << "in" << functionName;
    if (!m_batch.gBatchMode)
        m_notifier.message(message, QStringLiteral("FTP Error"), MessageIcon::Critical, MessageButtons::Ok);
    m_batch.gErrorCode = static_cast<int16_t>(BatchCode::FtpOperationFailed);
    m_batch.appendLine(message);
    return error != FtpError::ExtendedError && error != FtpError::LargerThanListed &&
           ftpErrorMessageKey(error) != nullptr;
}

void Wininet::FtpCloseConnection()
{
    if (m_link.ghFtpSession || m_link.ghInternet)
        m_client.close();
    m_link.ghFtpSession = nullptr;
    m_link.ghInternet = nullptr;
}

} // namespace jvz
