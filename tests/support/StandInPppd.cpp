#include "StandInPppd.h"

#include "Paths.h"
#include "noqt/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jvztest {

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

StandInPppd::StandInPppd()
    : m_record(QString::fromStdString(makeScratchDir("pppd-record"))), m_savedPath(qgetenv("PATH"))
{
    const QString folder = sourceDir() + QStringLiteral("/tests/support/standin");
    qputenv("PATH", QFile::encodeName(folder) + ":/usr/bin:/bin");
    qputenv("PPPD_STANDIN_RECORD", QFile::encodeName(m_record));
    setMode(QStringLiteral("up"));
}

StandInPppd::~StandInPppd()
{
    qputenv("PATH", m_savedPath);
    qunsetenv("PPPD_STANDIN_RECORD");
    qunsetenv("PPPD_STANDIN_MODE");
}

void StandInPppd::setMode(const QString& mode)
{
    qputenv("PPPD_STANDIN_MODE", mode.toUtf8());
}

QStringList StandInPppd::arguments() const
{
    QStringList lines = QString::fromUtf8(readAll(m_record + QStringLiteral("/args"))).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray StandInPppd::optionsFile() const
{
    return readAll(m_record + QStringLiteral("/options"));
}

QString StandInPppd::optionsMode() const
{
    return QString::fromUtf8(readAll(m_record + QStringLiteral("/options-mode"))).trimmed();
}

long long StandInPppd::pid() const
{
    return readAll(m_record + QStringLiteral("/pid")).trimmed().toLongLong();
}

bool StandInPppd::receivedTerm() const
{
    return QFileInfo::exists(m_record + QStringLiteral("/term"));
}

void StandInPppd::clearRecord()
{
    for (const char* name : {"args", "options", "options-mode", "pid", "term"})
        QFile::remove(m_record + QLatin1Char('/') + QLatin1String(name));
}

bool StandInPppd::nothingLeft() const
{
    const long long p = pid();
    if (p <= 1)
        return true;
    if (QFileInfo::exists(QStringLiteral("/proc/%1").arg(p)))
        return false;
    // Helpers of its group that died are the system's to reap; none may still run.
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(name));
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == p && fields.at(0) != "Z" && fields.at(0) != "X")
            return false;
    }
    return true;
}

} // namespace jvztest
