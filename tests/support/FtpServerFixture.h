#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>

namespace jvztest {

// A real FTP server (pyftpdlib under /usr/bin/python3) on 127.0.0.1 and a free port (or the loopback address
// and port of the options), serving a scratch folder, so FTP code is tested against a peer rather than a
// double. The server maps the terminal's backslash paths (\SWAP\, ..\SWAP) onto the folder. It is always
// stopped: by stop(), by the destructor, when this process goes away (its standard input closes), and at the
// latest after maxSeconds.
class FtpServerFixture {
public:
    struct Options {
        QByteArray user = "jvz";
        QByteArray password = "terminal";
        int startTimeoutMs = 15000;
        int maxSeconds = 300;
        QString host = QStringLiteral("127.0.0.1"); // a loopback address
        quint16 port = 0;                           // 0: a free port
        // The server accepts PORT and then never connects to it: every transfer waits for its data connection.
        bool neverOpenDataConnections = false;
        // With the above: the transfer command's 1xx reply is sent along with PORT's, so the client has it
        // before it sends the command, as a fast terminal's can be.
        bool earlyPreliminaryReply = false;
        // A crawling or stalled terminal: every data connection (listings, fetches) sends at most this many
        // bytes a second (0: no limit), and nothing more once dataSilentAfterBytes are out (-1: never), keeping
        // the connection open.
        int dataBytesPerSecond = 0;
        qint64 dataSilentAfterBytes = -1;
        // LIST sends lines and never ends.
        bool endlessListing = false;
        // The hostile behaviours above wait for arm(): the session is set up as a sound terminal's first.
        bool armedLater = false;
        // Not empty: every LIST is answered with these bytes instead of the folder's entries, so a test can
        // list names no file system holds (a CR, a NUL) or lines no server writes.
        QByteArray cannedListing;
        // Command lines starting with one of these ("DELE TMP") are refused with 550, as a terminal that will
        // not delete a file does.
        QByteArrayList refusedCommands;
        // RETR of one of these names (as sent: "ACTIVITY.INF") sends bytes for ever, paced by
        // dataBytesPerSecond; waits for arm() with armedLater.
        QByteArrayList endlessRetrNames;
        // Every RETR sends this many bytes more than the file holds, as a file that grew since its listing
        // (always, not only once armed).
        qint64 retrExtraBytes = 0;
        // On one of these commands ("USER", "CWD", "RETR") the server closes the control connection without
        // answering; waits for arm() with armedLater.
        QByteArrayList dropAtVerbs;
        // One of these commands is answered with a single reply line of 1 MiB, then nothing; waits for arm()
        // with armedLater.
        QByteArrayList longReplyAtVerbs;
        // One of these commands is answered "421 ... closing control connection." and the server hangs up, as
        // a terminal ending its session does; waits for arm() with armedLater.
        QByteArrayList closingReplyAtVerbs;
    };

    FtpServerFixture();
    explicit FtpServerFixture(Options options);
    ~FtpServerFixture();
    FtpServerFixture(const FtpServerFixture&) = delete;
    FtpServerFixture& operator=(const FtpServerFixture&) = delete;

    // Starts the server and waits (bounded) until it listens. False with errorString() on failure.
    bool start();
    void stop();
    bool isRunning() const;

    QString host() const { return m_options.host; }
    quint16 port() const { return m_port; }
    const QByteArray& user() const { return m_options.user; }
    const QByteArray& password() const { return m_options.password; }
    QString errorString() const { return m_error; }

    // The served folder ("\" on the terminal side).
    QString rootDir() const { return m_root; }
    // Local path of a terminal path: backslashes or slashes, absolute from the root; ".." stops at the root.
    QString localPath(const QString& terminalPath) const;
    // Writes a file below the root, creating folders. False on failure.
    bool putLocal(const QString& terminalPath, const QByteArray& bytes) const;
    QByteArray readLocal(const QString& terminalPath) const;

    // Command lines the server received so far, in order ("PASS" lines included); "#disconnect" marks
    // each control connection the server saw end.
    QByteArrayList commands() const;

    // Closes every control connection from the server side (the server keeps listening).
    bool hangUp();

    // Turns the hostile behaviours on (armedLater): every data connection opened afterwards has them. Waits
    // (bounded) until the server says so; false if it did not.
    bool arm();

    // Stops answering without closing any connection (the process is suspended), as a dead link does.
    bool freeze();
    bool thaw();

private:
    Options m_options;
    QProcess m_process;
    QString m_root;
    QString m_logPath;
    QString m_error;
    quint16 m_port = 0;
    bool m_frozen = false;
};

// How a hostile terminal produces its data: the options of a server that plays it.
struct SlowTerminal {
    int bytesPerSecond = 0;  // 0: no limit
    qint64 silentAfter = -1; // bytes, then silence; -1: never
    bool endlessListing = false;
    bool neverOpenData = false;

    FtpServerFixture::Options options() const
    {
        FtpServerFixture::Options o;
        o.dataBytesPerSecond = bytesPerSecond;
        o.dataSilentAfterBytes = silentAfter;
        o.endlessListing = endlessListing;
        o.neverOpenDataConnections = neverOpenData;
        o.maxSeconds = 60;
        return o;
    }
};

} // namespace jvztest
