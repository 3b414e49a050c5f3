#include "FtpServerFixture.h"

#include "Paths.h"
#include "TestEnv.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <signal.h>

namespace jvztest {

namespace {

constexpr int StopWaitMs = 5000;

} // namespace

FtpServerFixture::FtpServerFixture() : FtpServerFixture(Options{}) {}

FtpServerFixture::FtpServerFixture(Options options) : m_options(std::move(options)) {}

FtpServerFixture::~FtpServerFixture()
{
    stop();
}

bool FtpServerFixture::start()
{
    stop();
    const QString base = QString::fromStdString(makeScratchDir("ftpserver"));
    m_root = base + QStringLiteral("/root");
    m_logPath = base + QStringLiteral("/commands.log");
    if (!QDir().mkpath(m_root)) {
        m_error = QStringLiteral("cannot create %1").arg(m_root);
        return false;
    }
    const QString script = sourceDir() + QStringLiteral("/tests/support/ftp_server.py");
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments(
        {script, QStringLiteral("--root"), m_root, QStringLiteral("--user"), QString::fromLatin1(m_options.user),
         QStringLiteral("--password"), QString::fromLatin1(m_options.password), QStringLiteral("--log"), m_logPath,
         QStringLiteral("--max-seconds"), QString::number(m_options.maxSeconds), QStringLiteral("--host"),
         m_options.host, QStringLiteral("--port"), QString::number(m_options.port)});
    QStringList arguments = m_process.arguments();
    if (m_options.neverOpenDataConnections)
        arguments << QStringLiteral("--never-open-data");
    if (m_options.earlyPreliminaryReply)
        arguments << QStringLiteral("--early-preliminary-reply");
    if (m_options.dataBytesPerSecond > 0)
        arguments << QStringLiteral("--data-rate") << QString::number(m_options.dataBytesPerSecond);
    if (m_options.dataSilentAfterBytes >= 0)
        arguments << QStringLiteral("--data-silent-after") << QString::number(m_options.dataSilentAfterBytes);
    if (m_options.endlessListing)
        arguments << QStringLiteral("--endless-listing");
    if (m_options.armedLater)
        arguments << QStringLiteral("--armed-by-signal");
    for (const QByteArray& refused : m_options.refusedCommands)
        arguments << QStringLiteral("--refuse") << QString::fromLatin1(refused);
    for (const QByteArray& name : m_options.endlessRetrNames)
        arguments << QStringLiteral("--endless-retr") << QString::fromLatin1(name);
    if (m_options.retrExtraBytes > 0)
        arguments << QStringLiteral("--retr-extra") << QString::number(m_options.retrExtraBytes);
    for (const QByteArray& verb : m_options.dropAtVerbs)
        arguments << QStringLiteral("--drop-at") << QString::fromLatin1(verb);
    for (const QByteArray& verb : m_options.longReplyAtVerbs)
        arguments << QStringLiteral("--long-reply-at") << QString::fromLatin1(verb);
    for (const QByteArray& verb : m_options.closingReplyAtVerbs)
        arguments << QStringLiteral("--closing-reply-at") << QString::fromLatin1(verb);
    if (!m_options.cannedListing.isEmpty()) {
        const QString listingPath = base + QStringLiteral("/listing");
        QFile listing(listingPath);
        if (!listing.open(QIODevice::WriteOnly) ||
            listing.write(m_options.cannedListing) != m_options.cannedListing.size()) {
            m_error = QStringLiteral("cannot write %1").arg(listingPath);
            return false;
        }
        listing.close();
        arguments << QStringLiteral("--listing") << listingPath;
    }
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(m_options.startTimeoutMs)) {
        m_error = QStringLiteral("cannot start the FTP server: %1").arg(m_process.errorString());
        stop();
        return false;
    }
    QDeadlineTimer deadline(m_options.startTimeoutMs);
    QByteArray line;
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running ||
            !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_process.canReadLine())
                break;
            m_error = QStringLiteral("the FTP server did not report its port");
            stop();
            return false;
        }
    }
    line = m_process.readLine().trimmed();
    bool ok = false;
    const uint port = line.startsWith("PORT ") ? line.mid(5).toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("unexpected line from the FTP server: %1").arg(QString::fromLatin1(line));
        stop();
        return false;
    }
    m_port = quint16(port);
    return true;
}

void FtpServerFixture::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        thaw();
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(StopWaitMs)) {
            m_process.kill();
            m_process.waitForFinished(StopWaitMs);
        }
    }
    m_frozen = false;
    m_port = 0;
}

bool FtpServerFixture::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString FtpServerFixture::localPath(const QString& terminalPath) const
{
    QStringList parts;
    for (const QString& part : QString(terminalPath).replace(QLatin1Char('\\'), QLatin1Char('/')).split('/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts.isEmpty() ? m_root : m_root + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

bool FtpServerFixture::putLocal(const QString& terminalPath, const QByteArray& bytes) const
{
    return writeFileBytes(localPath(terminalPath).toStdString(), bytes.toStdString());
}

QByteArray FtpServerFixture::readLocal(const QString& terminalPath) const
{
    QFile file(localPath(terminalPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArrayList FtpServerFixture::commands() const
{
    QFile file(m_logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArrayList lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool FtpServerFixture::hangUp()
{
    return m_process.state() == QProcess::Running && !m_frozen && ::kill(pid_t(m_process.processId()), SIGUSR1) == 0;
}

bool FtpServerFixture::arm()
{
    if (m_process.state() != QProcess::Running || m_frozen || ::kill(pid_t(m_process.processId()), SIGUSR2) != 0)
        return false;
    QDeadlineTimer deadline(StopWaitMs);
    while (!deadline.hasExpired()) {
        if (commands().contains("#armed"))
            return true;
        QThread::msleep(10);
    }
    return false;
}

bool FtpServerFixture::freeze()
{
    if (m_process.state() != QProcess::Running || m_frozen)
        return false;
    m_frozen = ::kill(pid_t(m_process.processId()), SIGSTOP) == 0;
    return m_frozen;
}

bool FtpServerFixture::thaw()
{
    if (!m_frozen)
        return false;
    m_frozen = false;
    return ::kill(pid_t(m_process.processId()), SIGCONT) == 0;
}

} // namespace jvztest
