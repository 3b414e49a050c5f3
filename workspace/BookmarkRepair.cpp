#include "BookmarkRepair.h"

#include "platform/FileReader.h"
#include "platform/VolumeSource.h"
#include "workspace/FavouritePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace jvz {

namespace {
QString withSlash(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

// The parent folder, ending in "/": "/a/b/" and "/a/b" both give "/a/"; empty when there is none.
QString parentFolder(const QString& path)
{
    QString p = path;
    if (p.endsWith(u'/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return p.left(slash + 1);
}

// "/run/media/*/" against "/run/media/tech/": one name per "*".
bool matchesParentPattern(const QString& pattern, const QString& folder)
{
    const QStringList want = pattern.split(u'/');
    const QStringList have = folder.split(u'/');
    if (want.size() != have.size())
        return false;
    for (qsizetype i = 0; i < want.size(); ++i) {
        if (want[i] == u"*" ? have[i].isEmpty() : want[i] != have[i])
            return false;
    }
    return true;
}

// fstab escapes blanks and backslashes in paths as \040, \134...
QString unescapeFstab(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && value < 256) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}
} // namespace

QStringList fstabMountPoints(const QByteArray& fstab)
{
    QStringList points;
    for (const QByteArray& rawLine : fstab.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields[1].startsWith('/'))
            continue; // "none", "swap"
        if (fields.size() >= 3 && fields[2] == "swap")
            continue;
        points.append(withSlash(unescapeFstab(fields[1])));
    }
    return points;
}

BookmarkVolumes systemBookmarkVolumes(const VolumeSource& source, const QString& fstabPath)
{
    BookmarkVolumes v;
    v.mounted = source.volumes();
    QFile fstab;
    if (openRegularFile(fstab, fstabPath)) {
        for (const QString& point : fstabMountPoints(fstab.read(1024 * 1024))) {
            if (volumeHolding(v.mounted, point) != point)
                v.absentMountPoints.append(point);
        }
    }
    v.removableMediaParents = {QStringLiteral("/media/"), QStringLiteral("/media/*/"), QStringLiteral("/run/media/*/"),
                               QStringLiteral("/mnt/")};
    return v;
}

BookmarkRepair::BookmarkRepair(BookmarkVolumes volumes, FolderExists folderExists)
    : m_volumes(std::move(volumes)), m_folderExists(std::move(folderExists))
{
}

bool BookmarkRepair::exists(const QString& folder) const
{
    // A long file names the same parents again and again: each folder is looked at once per load.
    const auto known = m_exists.constFind(folder);
    if (known != m_exists.cend())
        return *known;
    bool found = false;
    if (m_folderExists) {
        found = m_folderExists(folder);
    } else {
        struct stat st {};
        found = ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    m_exists.insert(folder, found);
    return found;
}

bool BookmarkRepair::underAbsentMountPoint(const QString& path) const
{
    const QString p = withSlash(path);
    for (const QString& point : m_volumes.absentMountPoints) {
        if (p.startsWith(point) && !exists(point))
            return true;
    }
    return false;
}

QString BookmarkRepair::volumeOf(const QString& path) const
{
    return volumeHolding(m_volumes.mounted, path);
}

bool BookmarkRepair::liesOnAbsentVolume(const QString& path) const
{
    if (underAbsentMountPoint(path))
        return true;
    const QString p = withSlash(path);
    // Under a removable-media place: the first missing folder below it was the medium's mount point.
    QString existing = parentFolder(p);
    QString missing = p;
    while (!existing.isEmpty() && !exists(existing)) {
        missing = existing;
        existing = parentFolder(existing);
    }
    if (existing.isEmpty())
        return false;
    for (const QString& pattern : m_volumes.removableMediaParents) {
        if (matchesParentPattern(pattern, existing))
            return volumeOf(missing) != missing; // a mounted volume there is not absent
    }
    return false;
}

std::optional<QString> BookmarkRepair::repair(const QString& line) const
{
    if (line == FavouritePaths::kMyComputer)
        return line;
    if (!line.startsWith(u'/'))
        return std::nullopt; // empty, relative or written for another system: on no volume
    // Below a mount point that has nothing mounted the folder cannot be there: kept without looking.
    if (underAbsentMountPoint(line))
        return line;
    if (exists(line))
        return volumeOf(line).isEmpty() ? std::nullopt : std::optional<QString>(line);
    if (liesOnAbsentVolume(line))
        return line;
    const QString volume = volumeOf(line);
    if (volume.isEmpty())
        return std::nullopt;
    QString folder = line;
    while (withSlash(folder) != volume && !exists(folder)) {
        const QString parent = parentFolder(folder);
        if (parent.size() < volume.size())
            break;
        folder = parent;
    }
    return withSlash(folder) == volume ? volume : folder;
}

} // namespace jvz
