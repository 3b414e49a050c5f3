#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace jvz {

class FileWriter;

// Error numbers of the Internet functions. The program's FTP messages are keyed on these numbers and the
// batch result texts carry them, so they keep the values the terminal tools have always reported.
namespace FtpError {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t FileNotFound = 2;
inline constexpr uint32_t PathNotFound = 3;
inline constexpr uint32_t AccessDenied = 5;
inline constexpr uint32_t InvalidHandle = 6;
inline constexpr uint32_t NotEnoughMemory = 8;
inline constexpr uint32_t NoMoreFiles = 18;
inline constexpr uint32_t WriteFault = 29;
inline constexpr uint32_t ReadFault = 30;
inline constexpr uint32_t InvalidParameter = 87;
inline constexpr uint32_t DiskFull = 112;
// The system's "file too large": a get the terminal sent past the cap its own size for the file gave.
inline constexpr uint32_t LargerThanListed = 223;
inline constexpr uint32_t Timeout = 12002;
inline constexpr uint32_t ExtendedError = 12003; // the server refused: see lastResponse()
inline constexpr uint32_t InternalError = 12004;
inline constexpr uint32_t NameNotResolved = 12007;
inline constexpr uint32_t IncorrectUserName = 12013;
inline constexpr uint32_t IncorrectPassword = 12014;
inline constexpr uint32_t OperationCancelled = 12017;
inline constexpr uint32_t CannotConnect = 12029;
inline constexpr uint32_t ConnectionAborted = 12030;
inline constexpr uint32_t ConnectionReset = 12031;
inline constexpr uint32_t TransferInProgress = 12110; // a call came while another one still runs
} // namespace FtpError

// How long a dead or crawling link may keep a call waiting; every bound ends the call with Timeout.
// stallSeconds bounds both a silent server reply and a transfer that moves no byte. A listing is a few
// kilobytes: 120 s carry over 100 KiB on a 9,600-baud link. A transfer must keep floorBytesPerSecond over
// every floorWindowSeconds: a 9,600-baud link moves about 960 B/s, nearly five times the floor, and may
// still pause for most of a window; a terminal dribbling 45 B/s does not pass. The window is as long as
// the stall bound, so a pause the stall bound allows is not cut short on a sound link. Zero turns a bound off.
struct FtpTimeouts {
    int connectMs = 30000;
    int stallSeconds = 60;
    int listingTotalSeconds = 120;
    int floorBytesPerSecond = 200;
    int floorWindowSeconds = 60;
    // A get is bounded in size as well, by what it is for (FetchBound): a terminal that sends for ever must
    // not fill the disk. A file the program reads for itself is a few dozen bytes to a few kilobytes and has
    // the listing's total bound; a file the terminal list showed may be its listed size plus a margin (the
    // larger of listedMarginBytes and an eighth of the size), so a file that grew a little still arrives; a
    // file fetched by name without a listing gets the generous fixed cap.
    // In time, a file of known size has what its size takes at the rate floor plus the listing's total bound
    // (a file that keeps above the floor arrives however large it is); one of unknown size the listing's bound.
    qint64 controlFileMaxBytes = 64 * 1024;
    int controlFileTotalSeconds = 120;
    qint64 listedMarginBytes = 64 * 1024;
    qint64 unlistedMaxBytes = qint64(256) * 1024 * 1024;
    // The session keeps one control connection between calls. libcurl on its own drops a connection idle
    // for about two minutes, and a new one would be a silent second login, which the client refuses: the
    // session would end while the terminal still keeps it. The connection is kept for this long idle instead
    // (the program's timing table sets the connection watchdog's whole bound); zero keeps it as long as the
    // terminal does.
    int idleKeepSeconds = 0;
};

// What a get is for, which decides how much it may bring (see FtpTimeouts).
struct FetchBound {
    enum class Kind { ControlFile, Listed, Unlisted };
    Kind kind = Kind::Unlisted;
    qint64 listedBytes = -1; // Listed: the size the terminal gave (listing or SIZE); unknown (-1) counts as Unlisted

    static FetchBound controlFile() { return {Kind::ControlFile, -1}; }
    static FetchBound listed(qint64 bytes) { return {Kind::Listed, bytes}; }
    static FetchBound unlisted() { return {Kind::Unlisted, -1}; }
};

// A reply that ends the control connection (421): the terminal closed the session, whatever libcurl calls it.
bool ftpReplyClosesSession(const QByteArray& reply);

// The most bytes a get may bring under these bounds (0: no cap), and its total time bound in seconds (0: none).
// A size the terminal gave never lifts the fixed cap of a file fetched by name, nor the time it buys.
qint64 fetchMaxBytes(const FtpTimeouts& timeouts, const FetchBound& bound);
int fetchTotalSeconds(const FtpTimeouts& timeouts, const FetchBound& bound);
// True when the get's cap is the one its size gave (a get cut there sent more than its size said).
bool fetchCapFollowsSize(const FtpTimeouts& timeouts, const FetchBound& bound);

// The FTP session with the terminal (the terminal is the server). Calls return 0 or an error number of
// FtpError to the code that made them; on a thread with an event loop they serve its events meanwhile, so a
// call made from the window's thread leaves the window live (see CurlFtpClient). Remote names and paths are the
// terminal's bytes and are sent exactly as given (CWD \SWAP\); names without a folder are relative to the current
// directory.
class FtpClient {
public:
    virtual ~FtpClient() = default;

    // Connects in active mode and logs in. Any session open before is closed first.
    virtual uint32_t open(const QString& host, uint16_t port, const QByteArray& user, const QByteArray& password) = 0;
    // False once a call timed out or left the control connection gone (the terminal closed it, or a reply could
    // not be read): later calls fail at once with InvalidHandle. A refused command, a cancel or a local file
    // failure keeps the session.
    virtual bool isOpen() const = 0;
    // Ends the session; harmless when none is open.
    virtual void close() = 0;

    virtual uint32_t setCurrentDirectory(const QByteArray& path) = 0;
    // The directory last changed to, as far as the client can tell without asking the server; empty
    // before the first change.
    virtual QByteArray currentDirectory() const = 0;

    // Binary transfers. A get writes a temporary file beside localPath and puts it in place only once
    // the whole file has arrived, so a failed get leaves an existing local file as it was. A get that would
    // bring more than its bound allows breaks off as an oversized listing does, with InternalError, the
    // temporary file never past the cap (the session stays); one that outlasts its total bound ends with
    // Timeout, and the session with it. A listed file's cap is LargerThanListed, the other caps InternalError.
    virtual uint32_t getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound) = 0;
    // The size the terminal gives for a file (SIZE, in binary), so a get by name gets a bound that follows
    // from it. A terminal that cannot tell refuses (ExtendedError, the session stays).
    virtual uint32_t fileSize(const QByteArray& remoteName, qint64* bytes)
    {
        (void)remoteName;
        *bytes = -1;
        return FtpError::ExtendedError;
    }
    // A local path that is no regular file (a FIFO, a device, a socket, a folder) is FileNotFound, found without
    // blocking and before any command goes out.
    virtual uint32_t putFile(const QString& localPath, const QByteArray& remoteName) = 0;
    virtual uint32_t deleteFile(const QByteArray& remoteName) = 0;
    virtual uint32_t renameFile(const QByteArray& from, const QByteArray& to) = 0;
    // The raw lines of a LIST of the current directory (line ends removed).
    virtual uint32_t listDirectory(QByteArrayList* lines) = 0;

    // The server's last reply, all its lines joined by CR LF (for the messages of ExtendedError).
    virtual QByteArray lastResponse() const = 0;
    // The result of the last call.
    virtual uint32_t lastError() const = 0;

    // Asked on the calling thread every few tens of milliseconds while a call runs: true ends the running call
    // with OperationCancelled. Empty: nothing cancels.
    virtual void setCancelCheck(std::function<bool()> check) { (void)check; }
    // Ends the call under way, if any, as a cancel does (OperationCancelled, the session kept); the next call runs
    // as usual. For the end of a run that cannot wait for the call's own bounds (a stop signal).
    virtual void breakOffCall() {}
    // Told on the calling thread when a call starts (true) and when it has ended (false), so the caller can
    // refuse its other commands meanwhile.
    virtual void setCallObserver(std::function<void(bool running)> observer) { (void)observer; }
};

// Sets a cancel check for one scope (a transfer), and takes it away again.
class FtpCancelScope {
public:
    FtpCancelScope(FtpClient& ftp, std::function<bool()> check) : m_ftp(ftp) { m_ftp.setCancelCheck(std::move(check)); }
    ~FtpCancelScope() { m_ftp.setCancelCheck({}); }
    FtpCancelScope(const FtpCancelScope&) = delete;
    FtpCancelScope& operator=(const FtpCancelScope&) = delete;

private:
    FtpClient& m_ftp;
};

// The client on libcurl: one easy handle, and so one control connection, kept for the whole session.
// Gets are written through the writer (the standard atomic writer when none is given).
// A worker thread of the client owns the handle and runs every call; the calling thread waits for the result,
// serving its pending events every 10 ms when it has an event loop (the window repaints, timers run, the copy
// window's Cancel works). Nothing re-enters: a call made while another runs (from one of those events) is
// refused with TransferInProgress; close() meanwhile cancels the running call and ends the session after it.
class CurlFtpClient final : public FtpClient {
public:
    explicit CurlFtpClient(FtpTimeouts timeouts = {}, FileWriter* writer = nullptr);
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient&) = delete;
    CurlFtpClient& operator=(const CurlFtpClient&) = delete;

    uint32_t open(const QString& host, uint16_t port, const QByteArray& user, const QByteArray& password) override;
    bool isOpen() const override;
    void close() override;
    uint32_t setCurrentDirectory(const QByteArray& path) override;
    QByteArray currentDirectory() const override;
    uint32_t getFile(const QByteArray& remoteName, const QString& localPath, FetchBound bound) override;
    uint32_t fileSize(const QByteArray& remoteName, qint64* bytes) override;
    uint32_t putFile(const QString& localPath, const QByteArray& remoteName) override;
    uint32_t deleteFile(const QByteArray& remoteName) override;
    uint32_t renameFile(const QByteArray& from, const QByteArray& to) override;
    uint32_t listDirectory(QByteArrayList* lines) override;
    QByteArray lastResponse() const override;
    uint32_t lastError() const override;
    void setCancelCheck(std::function<bool()> check) override;
    void breakOffCall() override;
    void setCallObserver(std::function<void(bool running)> observer) override;

    struct Impl;
    class Worker;

private:
    uint32_t call(const std::function<uint32_t(Impl&)>& job);

    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<Worker> m_worker;
    // What the accessors give: taken after each call, so they never read what the worker is writing.
    struct Snapshot {
        bool open = false;
        QByteArray currentDirectory;
        QByteArray lastResponse;
        uint32_t lastError = 0;
    } m_snapshot;
    bool m_calling = false;
    bool m_closeAfterCall = false;
    std::function<bool()> m_cancelCheck;
    std::function<void(bool)> m_observer;
};

// What went wrong in a libcurl call, as far as the error number depends on it.
struct CurlFailure {
    int curlCode = 0;           // a CURLcode
    int osErrno = 0;            // CURLINFO_OS_ERRNO
    QByteArray lastCommandVerb; // the last command sent to the server ("USER", "PASS", "RETR"...)
    bool sessionLost = false;   // the control connection went away and would have to be reopened
    int lastReplyCode = 0;      // of the call's last server reply, 0 when none came
};

// The one mapping from libcurl's results to the error numbers above.
uint32_t ftpErrorFromCurl(const CurlFailure& failure);

// True when a host text names the unspecified address (0.0.0.0, ::, 0), which must never be dialled:
// on this system it would reach the local machine.
bool isUnspecifiedFtpHost(const QString& host);

} // namespace jvz
