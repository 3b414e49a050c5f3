#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace jvz {

struct BatchRun;
struct LinkState;
class FtpClient;
class MBLanguages;
class Notifier;

// Language key of the text of an FTP error number that has one (12003, a get past its listed size and the
// five connection errors), else null.
const char* ftpErrorMessageKey(uint32_t error);

// The message of an FTP failure: "<ErrorIn> <function> <Function>." then the error's own text. lastResponse
// is the server's last reply, shown for 12003 and for a connection the terminal closed with a reply.
QString ftpErrorMessage(uint32_t error, const QString& functionName, const MBLanguages& language,
                        const QByteArray& lastResponse);

// The FTP session with the terminal: open, directory change, close and the report of every FTP failure.
// The client's handles are kept in the link state (ghInternet, ghFtpSession).
class Wininet {
public:
    static constexpr uint16_t kFtpPort = 21;

    Wininet(LinkState& link, FtpClient& client, Notifier& notifier, BatchRun& batch, uint16_t port = kFtpPort);

    // Logs in to the terminal; 0 when the session is open, else the reported error number. A session open
    // before is closed first.
    uint32_t FtpOpenConnection(const QString& server, const QString& user, const QString& password,
                               const MBLanguages& language);
    // 0 on success or for an empty path, else the reported error number. Terminal paths go as they are.
    uint32_t FtpChangeDirectory(const QString& path, const MBLanguages& language);
    // Box (not in a batch run), the message added as a line to the result text, and code -10. True for the
    // five connection errors that have a text of their own.
    bool ReportFtpError(uint32_t error, const QString& functionName, const MBLanguages& language);
    void FtpCloseConnection();

    FtpClient& client() { return m_client; }

private:
    LinkState& m_link;
    FtpClient& m_client;
    Notifier& m_notifier;
    BatchRun& m_batch;
    uint16_t m_port;
};

} // namespace jvz
