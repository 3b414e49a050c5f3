#include "CaseLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace jvz {

namespace {

// The entry of folder named like name in another case, or an empty text.
QString siblingAnyCase(const QString& folder, const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString resolvePathAnyCase(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        const QString folder = current.isEmpty() ? QStringLiteral(".") : current;
        QString next = current.isEmpty() || current.endsWith(QLatin1Char('/')) ? current + part : current + '/' + part;
        if (!QFileInfo::exists(next) && !QFileInfo(next).isSymLink()) {
            const QString match = siblingAnyCase(folder, part);
            if (match.isEmpty())
                return path;
            next = current.isEmpty() || current.endsWith(QLatin1Char('/')) ? current + match : current + '/' + match;
        }
        current = next;
    }
    return current;
}

} // namespace jvz
