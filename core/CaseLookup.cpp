#include "CaseLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace jvz {

QString resolvePathAnyCase(const QString& path)
{
    return PathCaseResolver().resolve(path);
}

QString PathCaseResolver::resolve(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    // Mostly only the name differs: its folder, when it exists as written, is not walked level by level.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && parts.size() > 1 && QFileInfo(path.left(slash)).isDir()) {
        current = path.left(slash);
        parts = QStringList{parts.last()};
    }
    const auto join = [](const QString& folder, const QString& name) {
        return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder + name : folder + u'/' + name;
    };
    for (const QString& part : parts) {
        QString next = join(current, part);
        if (!QFileInfo::exists(next) && !QFileInfo(next).isSymLink()) {
            if (part == QLatin1String(".") || part == QLatin1String(".."))
                return path;
            const QString folder = current.isEmpty() ? QStringLiteral(".") : current;
            auto known = m_folders.find(folder);
            if (known == m_folders.end()) {
                QHash<QString, QString> names;
                const QStringList entries = QDir(folder).entryList(
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
                for (const QString& entry : entries) {
                    const QString key = entry.toCaseFolded();
                    if (!names.contains(key)) // the first in name order wins
                        names.insert(key, entry);
                }
                known = m_folders.insert(folder, names);
            }
            const QString match = known->value(part.toCaseFolded());
            if (match.isEmpty())
                return path;
            next = join(current, match);
        }
        current = next;
    }
    return current;
}

} // namespace jvz
