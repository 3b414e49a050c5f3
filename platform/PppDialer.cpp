#include "PppDialer.h"

#include "platform/posix/SignalCleanup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcLink, "jvz.link", QtInfoMsg)

namespace jvz {

const char* describe(DialError error)
{
    switch (error) {
    case DialError::None:
        return "the link is up";
    case DialError::FatalError:
        return "pppd met a fatal error";
    case DialError::OptionError:
        return "pppd refused its options";
    case DialError::NotPrivileged:
        return "pppd is not allowed to run for this user";
    case DialError::NoKernelSupport:
        return "the kernel has no PPP support";
    case DialError::Signalled:
        return "pppd was ended by a signal";
    case DialError::PortNotLocked:
        return "the serial port could not be locked";
    case DialError::PortNotOpened:
        return "the serial port could not be opened";
    case DialError::ConnectScriptFailed:
        return "the connect script failed";
    case DialError::PtyCommandFailed:
        return "the pty command could not be run";
    case DialError::NegotiationFailed:
        return "the PPP negotiation failed";
    case DialError::PeerAuthFailed:
        return "the terminal failed to authenticate itself";
    case DialError::Idle:
        return "the link was ended because it was idle";
    case DialError::ConnectTimeLimit:
        return "the link was ended at its connect time limit";
    case DialError::Callback:
        return "callback was negotiated";
    case DialError::PeerNotResponding:
        return "the terminal does not answer echo requests";
    case DialError::ModemHangUp:
        return "the line was hung up";
    case DialError::SerialLoopback:
        return "the serial line loops back";
    case DialError::InitScriptFailed:
        return "the init script failed";
    case DialError::AuthenticationFailed:
        return "the terminal refused the PPP user name or password";
    case DialError::PppdNotFound:
        return "pppd was not found on the search path";
    case DialError::PppdNotStarted:
        return "pppd could not be started";
    case DialError::DialTimedOut:
        return "the link did not come up in time";
    case DialError::EndedBeforeLink:
        return "pppd ended before the link came up";
    case DialError::KilledBySignal:
        return "pppd was killed";
    case DialError::NoPort:
        return "the connection names no usable port";
    case DialError::CredentialsNotWritten:
        return "the PPP credentials could not be written to the per-user folder";
    case DialError::NotStopped:
        return "pppd could not be stopped";
    case DialError::EntryNotFound:
        return "the connection is not in the phonebook";
    case DialError::Stopped:
        return "the dial was stopped by a signal";
    }
    return "";
}

std::optional<DialError> dialErrorFromNumber(int32_t number)
{
    if (number >= 0 && number <= static_cast<int32_t>(DialError::AuthenticationFailed))
        return static_cast<DialError>(number);
    if (number >= static_cast<int32_t>(DialError::PppdNotFound) && number <= static_cast<int32_t>(DialError::Stopped))
        return static_cast<DialError>(number);
    return std::nullopt;
}

PppLogLine parsePppLogLine(const QString& line)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(local|remote)\\s+IP address\\s+([0-9A-Fa-f.:]{2,45})\\s*$"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return {};
    PppLogLine result;
    result.kind =
        m.captured(1) == QLatin1String("local") ? PppLogLine::Kind::LocalAddress : PppLogLine::Kind::RemoteAddress;
    result.address = m.captured(2);
    return result;
}

namespace {

constexpr int kPollMs = 25;
constexpr qint64 kMaxLogLine = 4096;
constexpr qint64 kMaxLogRead = 1024 * 1024;

int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int pidfdSignal(int pidfd, int signalNumber)
{
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signalNumber, nullptr, 0));
}

bool pidfdWait(int pidfd, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        pollfd p{pidfd, POLLIN, 0};
        const int left = static_cast<int>(std::max<qint64>(0, timeoutMs - t.elapsed()));
        const int rc = ::poll(&p, 1, left);
        if (rc > 0)
            return true;
        if (rc == 0 || (rc < 0 && errno != EINTR))
            return false;
    }
}

// Writes a file only this user can read: a 0600 temporary file in the same folder renamed over the target.
bool writePrivateFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QByteArray tmpl = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ok = ::fchmod(fd, 0600) == 0;
    qsizetype done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    const int savedErrno = errno;
    ::close(fd);
    if (ok && ::rename(tmpl.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(ok ? errno : savedErrno));
    ::unlink(tmpl.constData());
    return false;
}

QByteArray readProcFile(int64_t pid, const char* name)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(64 * 1024);
}

// The fields of /proc/PID/stat after the command name (which may hold blanks): state, ppid, pgrp, ...
QList<QByteArray> statFields(int64_t pid)
{
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : stat.mid(close + 2).split(' ');
}

// Field 22 of /proc/PID/stat: when the process started, in clock ticks since boot. It tells a reused pid apart.
std::optional<uint64_t> processStartTime(int64_t pid)
{
    const QList<QByteArray> fields = statFields(pid);
    if (fields.size() < 20)
        return std::nullopt;
    bool ok = false;
    const uint64_t v = fields.at(19).toULongLong(&ok);
    return ok ? std::optional<uint64_t>(v) : std::nullopt;
}

// Whether a process of the group still runs (zombies waiting to be reaped do not count).
bool groupHasLiveMembers(pid_t group)
{
    if (::kill(-group, 0) != 0)
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        bool isPid = false;
        const int64_t pid = name.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z" && fields.at(0) != "X")
            return true;
    }
    return false;
}

bool cmdlineNamesPppd(const QByteArray& cmdline)
{
    for (const QByteArray& arg : cmdline.split('\0')) {
        const qsizetype slash = arg.lastIndexOf('/');
        if (arg.mid(slash + 1) == "pppd")
            return true;
    }
    return false;
}

QByteArray bootId()
{
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? f.read(64).trimmed() : QByteArray();
}

// pid and start time (with the boot they belong to) name one process for good; the command line is read
// when checking, since right after the start it may not be in place yet.
struct PidRecord {
    int64_t pid = 0;
    uint64_t startTime = 0;
    QByteArray boot;
};

std::optional<PidRecord> readPidRecord(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = f.read(256 * 1024).split('\n');
    if (lines.size() < 3)
        return std::nullopt;
    PidRecord r;
    bool okPid = false;
    bool okStart = false;
    r.pid = lines.at(0).toLongLong(&okPid);
    r.startTime = lines.at(1).toULongLong(&okStart);
    r.boot = lines.at(2).trimmed();
    if (!okPid || !okStart || r.pid <= 1 || r.boot.isEmpty())
        return std::nullopt;
    return r;
}

// Still the pppd this program started for the entry: same process, and its command line is pppd's with
// the entry's own log file.
bool recordStillMatches(const PidRecord& r, const QString& logFile)
{
    if (r.boot != bootId() || processStartTime(r.pid) != r.startTime)
        return false;
    const QByteArray cmdline = readProcFile(r.pid, "cmdline");
    return cmdlineNamesPppd(cmdline) &&
           cmdline.contains(QByteArray("logfile") + '\0' + QFile::encodeName(logFile) + '\0');
}

QByteArray quoted(const QByteArray& value)
{
    QByteArray out = "\"";
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7f) {
            out += QByteArray("\\") + QByteArray::number(c, 8).rightJustified(3, '0');
        } else {
            out += ch;
        }
    }
    return out + '"';
}

// Reads what pppd added to its log since the last call, line by line.
class LogTail {
public:
    explicit LogTail(QString path) : m_path(std::move(path)) {}

    template <typename F> void poll(F&& onLine)
    {
        QFile f(m_path);
        if (m_total >= kMaxLogRead || !f.open(QIODevice::ReadOnly) || !f.seek(m_offset))
            return;
        const QByteArray chunk = f.read(kMaxLogRead - m_total);
        m_offset += chunk.size();
        m_total += chunk.size();
        m_partial += chunk;
        qsizetype nl;
        while ((nl = m_partial.indexOf('\n')) >= 0) {
            onLine(QString::fromUtf8(m_partial.left(nl)).trimmed());
            m_partial.remove(0, nl + 1);
        }
        if (m_partial.size() > kMaxLogLine)
            m_partial.clear();
    }

private:
    QString m_path;
    qint64 m_offset = 0;
    qint64 m_total = 0;
    QByteArray m_partial;
};

} // namespace

PppDialer::PppDialer(ProcessRunner& runner, QString stateFolder, PppDialerTimes times)
    : m_runner(runner), m_stateFolder(std::move(stateFolder)), m_times(times)
{
    if (!m_stateFolder.endsWith(QLatin1Char('/')))
        m_stateFolder += QLatin1Char('/');
}

PppDialer::~PppDialer()
{
    hangUp();
}

QString PppDialer::optionsPath(const QString& entryName) const
{
    return m_stateFolder +
           QStringLiteral("ppp-%1.options").arg(QString::fromLatin1(QUrl::toPercentEncoding(entryName)));
}

QString PppDialer::pidPath(const QString& entryName) const
{
    return m_stateFolder + QStringLiteral("ppp-%1.pid").arg(QString::fromLatin1(QUrl::toPercentEncoding(entryName)));
}

QString PppDialer::logPath(const QString& entryName) const
{
    return m_stateFolder + QStringLiteral("ppp-%1.log").arg(QString::fromLatin1(QUrl::toPercentEncoding(entryName)));
}

int64_t PppDialer::pid() const
{
    return m_child ? m_child->pid() : 0;
}

QStringList PppDialer::arguments(const PppLinkRequest& request, const QString& optionsFile, const QString& logFile)
{
    QStringList args{request.deviceNode, QString::number(request.speed),
                     request.hardwareFlowControl ? QStringLiteral("crtscts") : QStringLiteral("nocrtscts"),
                     QStringLiteral("local"), QStringLiteral("nodetach")};
    // noauth is privileged: only the administrator's peers file may grant it.
    if (!request.peerName.isEmpty())
        args << QStringLiteral("call") << request.peerName;
    args << request.extraOptions;
    args << QStringLiteral("file") << optionsFile << QStringLiteral("logfile") << logFile;
    return args;
}

QByteArray PppDialer::credentialsFile(const QByteArray& user, const QByteArray& password)
{
    return "user " + quoted(user) + "\npassword " + quoted(password) + "\n";
}

void PppDialer::endEarlierRun(const QString& entryName)
{
    const QString path = pidPath(entryName);
    const std::optional<PidRecord> record = readPidRecord(path);
    QFile::remove(path);
    const QString log = logPath(entryName);
    if (!record || !recordStillMatches(*record, log))
        return;
    const int pidfd = pidfdOpen(static_cast<pid_t>(record->pid));
    if (pidfd < 0)
        return;
    // Checked again through the descriptor, which pins this very process: a reused pid is never signalled.
    if (recordStillMatches(*record, log)) {
        qCInfo(lcLink) << "ending pppd" << record->pid << "left by an earlier run of" << entryName;
        const bool leader = ::getpgid(static_cast<pid_t>(record->pid)) == record->pid;
        auto signal = [&](int s) {
            if (leader)
                ::kill(-static_cast<pid_t>(record->pid), s);
            else
                pidfdSignal(pidfd, s);
        };
        signal(SIGTERM);
        if (!pidfdWait(pidfd, m_times.termWaitMs)) {
            signal(SIGKILL);
            pidfdWait(pidfd, m_times.killWaitMs);
        }
    }
    ::close(pidfd);
}

PppLinkResult PppDialer::dial(const PppLinkRequest& request)
{
    PppLinkResult result;
    auto fail = [&](DialError e) {
        result.error = static_cast<int32_t>(e);
        return result;
    };
    if (m_child && hangUp() != 0)
        return fail(DialError::NotStopped);
    endEarlierRun(request.entryName);
    if (request.deviceNode.isEmpty())
        return fail(DialError::NoPort);
    // A run already told to stop dials nothing.
    if (jvzio::orderlyStopSignal() != 0)
        return fail(DialError::Stopped);
    const QString pppd = QStandardPaths::findExecutable(QStringLiteral("pppd"));
    if (pppd.isEmpty())
        return fail(DialError::PppdNotFound);

    QDir().mkpath(m_stateFolder);
    const QString options = optionsPath(request.entryName);
    const QString log = logPath(request.entryName);
    QString why;
    if (!writePrivateFile(options, credentialsFile(request.user, request.password), &why)) {
        result.lastLogLine = why;
        return fail(DialError::CredentialsNotWritten);
    }
    writePrivateFile(log, {}, nullptr);

    ProcessSpec spec;
    spec.program = pppd;
    spec.arguments = arguments(request, options, log);
    spec.ownProcessGroup = true;
    m_optionsFile = options;
    m_child = m_runner.start(spec, &why);
    if (!m_child) {
        m_optionsFile.clear();
        QFile::remove(options);
        result.lastLogLine = why;
        return fail(DialError::PppdNotStarted);
    }
    m_entry = request.entryName;
    m_up = false;
    const int64_t pid = m_child->pid();
    // A process ended by a second signal has no time to hang up: its handler still ends pppd's group.
    jvzio::rememberChildGroup(static_cast<pid_t>(pid));
    if (const std::optional<uint64_t> start = processStartTime(pid)) {
        const QByteArray record = QByteArray::number(static_cast<qlonglong>(pid)) + '\n' +
                                  QByteArray::number(static_cast<qulonglong>(*start)) + '\n' + bootId() + '\n';
        writePrivateFile(pidPath(request.entryName), record, nullptr);
    }
    qCDebug(lcLink) << "pppd" << pid << "dialling" << request.entryName << "on" << request.deviceNode;

    LogTail tail(log);
    auto readLog = [&] {
        tail.poll([&](const QString& line) {
            if (line.isEmpty())
                return;
            result.lastLogLine = line;
            const PppLogLine parsed = parsePppLogLine(line);
            switch (parsed.kind) {
            case PppLogLine::Kind::Other:
                break;
            case PppLogLine::Kind::LocalAddress:
                result.localAddress = parsed.address;
                break;
            case PppLogLine::Kind::RemoteAddress:
                result.remoteAddress = parsed.address;
                m_up = true;
                break;
            }
        });
    };
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        readLog();
        if (m_up && m_child->isRunning()) {
            QFile::remove(options); // pppd read it long before the link came up
            m_optionsFile.clear();
            qCDebug(lcLink) << "link up, local" << result.localAddress << "remote" << result.remoteAddress;
            return result;
        }
        if (!m_child->isRunning()) {
            readLog();
            m_up = false;
            const uint8_t status = m_child->exitStatus().value_or(static_cast<uint8_t>(DialError::EndedBeforeLink));
            forgetChild();
            if (status == 0)
                return fail(DialError::EndedBeforeLink);
            return fail(status >= 128 ? DialError::KilledBySignal : static_cast<DialError>(status));
        }
        if (elapsed.elapsed() >= m_times.dialTimeoutMs) {
            m_up = false;
            stopChild();
            return fail(DialError::DialTimedOut);
        }
        // This loop serves no events, so the stop pipe would be read only after the dial: the handler's own
        // flag is looked at instead, and the pipe left for the program to read once the dial is over.
        if (jvzio::orderlyStopSignal() != 0) {
            qCInfo(lcLink) << "dial of" << request.entryName << "stopped by"
                           << jvzio::signalName(jvzio::orderlyStopSignal());
            m_up = false;
            stopChild();
            return fail(DialError::Stopped);
        }
        pollfd p{m_child->endNotifyFd(), POLLIN, 0};
        ::poll(&p, p.fd >= 0 ? 1 : 0, kPollMs);
    }
}

int32_t PppDialer::stopChild()
{
    if (!m_child)
        return 0;
    const auto group = static_cast<pid_t>(m_child->pid());
    if (m_child->isRunning()) {
        m_child->sendSignal(SIGTERM, SignalTarget::Group);
        if (!m_child->waitForEnd(m_times.termWaitMs)) {
            qCInfo(lcLink) << "pppd" << group << "ignored SIGTERM; killing it";
            m_child->sendSignal(SIGKILL, SignalTarget::Group);
            if (!m_child->waitForEnd(m_times.killWaitMs))
                return static_cast<int32_t>(DialError::NotStopped);
        }
    }
    // Helpers pppd started may outlive it in its group; wait (bounded) until none runs. Their remains are
    // the system's to reap.
    if (groupHasLiveMembers(group)) {
        ::kill(-group, SIGKILL);
        QElapsedTimer t;
        t.start();
        while (groupHasLiveMembers(group) && t.elapsed() < m_times.killWaitMs)
            ::poll(nullptr, 0, 5);
    }
    forgetChild();
    return 0;
}

void PppDialer::forgetChild()
{
    if (!m_optionsFile.isEmpty())
        QFile::remove(m_optionsFile);
    m_optionsFile.clear();
    // The pid file may already name a later run's pppd.
    const std::optional<PidRecord> record = m_entry.isEmpty() ? std::nullopt : readPidRecord(pidPath(m_entry));
    if (record && m_child && record->pid == m_child->pid())
        QFile::remove(pidPath(m_entry));
    if (m_child)
        jvzio::forgetChildGroup(static_cast<pid_t>(m_child->pid()));
    m_child.reset();
    m_entry.clear();
    m_up = false;
}

int32_t PppDialer::hangUp()
{
    m_up = false;
    return stopChild();
}

int32_t PppDialer::state()
{
    return m_child && m_up && m_child->isRunning() ? kLinkStateUp : kLinkStateDown;
}

QString PppDialer::activeEntry() const
{
    return m_child && m_up ? m_entry : QString();
}

} // namespace jvz
