#pragma once

// The dial-up link on pppd. pppd runs on the terminal's port in a process group of its own, started with an
// argument list (never a shell line); the PPP credentials travel in a 0600 options file, never on the command
// line. The link is up once pppd logs its "remote IP address" line.

#include "platform/ProcessRunner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace jvz {

// Connection states as the program has always read them.
inline constexpr int32_t kLinkStateUp = 8192;
inline constexpr int32_t kLinkStateDown = 8193;

// Dial error numbers: 1-19 are pppd's own exit statuses; the 100s are the dialer's.
enum class DialError : int32_t {
    None = 0,
    FatalError = 1,
    OptionError = 2,
    NotPrivileged = 3,
    NoKernelSupport = 4,
    Signalled = 5,
    PortNotLocked = 6,
    PortNotOpened = 7,
    ConnectScriptFailed = 8,
    PtyCommandFailed = 9,
    NegotiationFailed = 10,
    PeerAuthFailed = 11,
    Idle = 12,
    ConnectTimeLimit = 13,
    Callback = 14,
    PeerNotResponding = 15,
    ModemHangUp = 16,
    SerialLoopback = 17,
    InitScriptFailed = 18,
    AuthenticationFailed = 19,
    PppdNotFound = 100,
    PppdNotStarted = 101,
    DialTimedOut = 102,
    EndedBeforeLink = 103,
    KilledBySignal = 104,
    NoPort = 105,
    CredentialsNotWritten = 106,
    NotStopped = 107,
    EntryNotFound = 108,
    Stopped = 109, // a stop signal came while dialling: the run ends as stopped, not as a failed dial
};

// The English text of an error.
const char* describe(DialError error);

// The error of a number, or nothing for a number the dialer never reports.
std::optional<DialError> dialErrorFromNumber(int32_t number);

// Whether the port itself was in the way (could not be locked or opened): the connect sequence then checks
// the port and tries once more.
constexpr bool isPortUnavailable(int32_t number)
{
    return number == static_cast<int32_t>(DialError::PortNotLocked) ||
           number == static_cast<int32_t>(DialError::PortNotOpened);
}

struct PppLinkRequest {
    QString entryName;  // names the per-entry files (options, pid, log)
    QString deviceNode; // /dev/ttyACM0
    int speed = 115200;
    bool hardwareFlowControl = false;
    QString peerName; // the administrator's /etc/ppp/peers/NAME, which holds the privileged options
    QStringList extraOptions;
    QByteArray user; // bytes as the peer checks them
    QByteArray password;
};

struct PppLinkResult {
    int32_t error = 0; // 0: the link is up; else a DialError number or pppd's own exit status
    QString localAddress;
    QString remoteAddress;
    QString lastLogLine; // pppd's last word, for the trace of a failure
};

// The link as the dial-up functions see it; tests of those functions may use a double.
class DialUpLink {
public:
    virtual ~DialUpLink() = default;
    // Blocks until the link is up, the dial failed, its time ran out or a stop signal came (DialError::Stopped).
    virtual PppLinkResult dial(const PppLinkRequest& request) = 0;
    // Ends the link and waits (bounded) for it to be gone. 0 when nothing is left running.
    virtual int32_t hangUp() = 0;
    // kLinkStateUp or kLinkStateDown; down whenever no link is known.
    virtual int32_t state() = 0;
    // Entry of the link that is up, empty when none.
    virtual QString activeEntry() const = 0;
};

struct PppDialerTimes {
    int dialTimeoutMs = 60000;
    int termWaitMs = 3000; // after SIGTERM, before SIGKILL
    int killWaitMs = 2000; // after SIGKILL
};

// The real link: pppd found on PATH. stateFolder (the per-user folder) holds the options, pid and log files.
class PppDialer : public DialUpLink {
public:
    PppDialer(ProcessRunner& runner, QString stateFolder, PppDialerTimes times = {});
    // Quitting the program hangs up.
    ~PppDialer() override;
    PppDialer(const PppDialer&) = delete;
    PppDialer& operator=(const PppDialer&) = delete;

    PppLinkResult dial(const PppLinkRequest& request) override;
    int32_t hangUp() override;
    int32_t state() override;
    QString activeEntry() const override;

    void setTimes(PppDialerTimes times) { m_times = times; }
    const PppDialerTimes& times() const { return m_times; }

    // The argument list pppd is started with (the credentials are only in the options file).
    static QStringList arguments(const PppLinkRequest& request, const QString& optionsFile, const QString& logFile);
    // The options file's content: the user and password, quoted so no value can add an option.
    static QByteArray credentialsFile(const QByteArray& user, const QByteArray& password);
    // Files of an entry in the state folder.
    QString optionsPath(const QString& entryName) const;
    QString pidPath(const QString& entryName) const;
    QString logPath(const QString& entryName) const;
    // The pid of the running pppd, 0 when none.
    int64_t pid() const;

private:
    void endEarlierRun(const QString& entryName);
    int32_t stopChild();
    void forgetChild();

    ProcessRunner& m_runner;
    QString m_stateFolder;
    PppDialerTimes m_times;
    std::unique_ptr<ChildProcess> m_child;
    QString m_entry;
    QString m_optionsFile; // while it exists
    bool m_up = false;
};

// What the dialer reads of one line of pppd's log.
struct PppLogLine {
    enum class Kind { Other, LocalAddress, RemoteAddress };
    Kind kind = Kind::Other;
    QString address;
};
PppLogLine parsePppLogLine(const QString& line);

} // namespace jvz
