#include "LocalListing.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"
#include "terminal_files/PackageDescriptor.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

namespace {

constexpr qint64 kDescriptorReadLimit = 4 * 1024 * 1024;

struct RawEntry {
    LocalEntry entry;
    QString sortKey;
};

QDateTime modifiedOf(const struct stat& st)
{
    // Kept in UTC: the conversion to local time is made for the rows shown, not for every entry read.
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec, Qt::UTC);
}

bool isHidden(const char* name)
{
    return name[0] == '.';
}

void sortByName(QList<RawEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RawEntry& a, const RawEntry& b) { return a.sortKey < b.sortKey; });
}

// Reads the folder's entries (hidden ones left out) and hands each with its lstat record to the visitor.
template <typename Visit> bool readFolder(const QByteArray& folder, Visit visit)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    while (const dirent* d = ::readdir(dir)) {
        if (isHidden(d->d_name))
            continue;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since the folder was read
        visit(QByteArray(d->d_name), st, fd);
    }
    ::closedir(dir);
    return true;
}

bool charInList(QChar c, const QString& list)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i + 2 < list.size() && list.at(i + 1) == QLatin1Char('-')) {
            if (c >= list.at(i) && c <= list.at(i + 2))
                return true;
            i += 2;
        } else if (list.at(i) == c) {
            return true;
        }
    }
    return false;
}

bool likeFrom(const QString& t, qsizetype ti, const QString& p, qsizetype pi)
{
    while (pi < p.size()) {
        const QChar pc = p.at(pi);
        if (pc == QLatin1Char('*')) {
            while (pi < p.size() && p.at(pi) == QLatin1Char('*'))
                ++pi;
            if (pi == p.size())
                return true;
            for (qsizetype k = ti; k <= t.size(); ++k) {
                if (likeFrom(t, k, p, pi))
                    return true;
            }
            return false;
        }
        if (ti >= t.size())
            return false;
        const QChar tc = t.at(ti);
        if (pc == QLatin1Char('?')) {
            ++pi;
        } else if (pc == QLatin1Char('#')) {
            if (!tc.isDigit())
                return false;
            ++pi;
        } else if (pc == QLatin1Char('[')) {
            const qsizetype close = p.indexOf(QLatin1Char(']'), pi + 1);
            if (close < 0) { // an unclosed bracket is taken literally
                if (tc != pc)
                    return false;
                ++pi;
            } else {
                QString list = p.mid(pi + 1, close - pi - 1);
                const bool negate = list.startsWith(QLatin1Char('!'));
                if (negate)
                    list.remove(0, 1);
                if (charInList(tc, list) == negate)
                    return false;
                pi = close + 1;
            }
        } else {
            if (tc != pc)
                return false;
            ++pi;
        }
        ++ti;
    }
    return ti == t.size();
}

} // namespace

QByteArray LocalEntry::nativePath(const QByteArray& folder) const
{
    QByteArray p = folder + nativeName;
    if (kind == LocalItemKind::Folder || kind == LocalItemKind::FolderLink)
        p += '/';
    return p;
}

QString LocalEntry::fullPath(const QString& folder) const
{
    QString p = folder + name;
    if (kind == LocalItemKind::Folder || kind == LocalItemKind::FolderLink)
        p += QLatin1Char('/');
    return p;
}

QString displayPath(const QByteArray& native)
{
    return QString::fromUtf8(native);
}

QByteArray nativeFromText(const QString& path)
{
    return path.toUtf8();
}

bool likeMatch(const QString& text, const QString& pattern)
{
    return likeFrom(text, 0, pattern, 0);
}

bool matchesListPattern(const QString& name, const QString& namePattern, const QString& typePattern)
{
    // "*.*" means every file; names without an extension have no "." to match.
    const QString type = typePattern == QLatin1String("*.*") ? QStringLiteral("*") : typePattern;
    return likeMatch(name.toUpper(), (namePattern + type).toUpper());
}

qint64 sizeInKb(qint64 bytes)
{
    return (bytes - 1) / 1024 + 1;
}

QString sizeText(qint64 bytes)
{
    return QString::number(sizeInKb(bytes)) + QStringLiteral(" Kb   ");
}

QString dateText(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    return time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy hh:mm"));
}

QString fileImageKey(const QString& name, const QStringList& filterItems)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QStringLiteral("Unknown");
    return catalogueImageKey(filterItems, name.mid(dot + 1));
}

bool descriptorSuitsTerminal(const QByteArray& path, const QString& productCode)
{
    if (productCode.isEmpty())
        return true;
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    DescriptorParseState state; // fresh: nothing of a download's pass leaks in
    qint64 read = 0;
    while (!file.atEnd() && read < kDescriptorReadLimit) {
        QByteArray raw = file.readLine(32768);
        read += raw.size();
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            return false; // the descriptor ends at its first empty line
        QString source;
        if (ParseDescriptorTargets(state, productCode, Cp1252::decode(raw), source))
            return true;
    }
    return false;
}

FolderListing listFolder(const QByteArray& folder, const ListingOptions& options)
{
    FolderListing result;
    QList<RawEntry> folders;
    QList<RawEntry> files;
    result.readable = readFolder(folder, [&](const QByteArray& name, const struct stat& st, int fd) {
        RawEntry raw;
        LocalEntry& e = raw.entry;
        e.nativeName = name;
        e.name = QString::fromUtf8(name);
        e.modified = modifiedOf(st);
        raw.sortKey = e.name.toUpper();
        if (S_ISDIR(st.st_mode)) {
            e.kind = LocalItemKind::Folder;
            e.imageKey = QStringLiteral("ClsFolder");
            folders.append(raw);
            return;
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat target {};
            if (::fstatat(fd, name.constData(), &target, 0) == 0 && S_ISDIR(target.st_mode)) {
                e.kind = LocalItemKind::FolderLink;
                e.imageKey = QStringLiteral("RacFolder");
                folders.append(raw);
                return;
            }
        }
        e.kind = LocalItemKind::File;
        e.size = st.st_size;
        e.imageKey = fileImageKey(e.name, options.filterItems);
        const bool matches = matchesListPattern(e.name, options.namePattern, options.typePattern);
        if (e.name.toUpper().contains(QLatin1String("DESCRIPTOR.XML"))) {
            if (!descriptorSuitsTerminal(folder + name, options.productCode))
                return;
            if (!matches)
                e.size = -1; // listed for the terminal, not for the patterns
            files.append(raw);
            return;
        }
        if (matches)
            files.append(raw);
    });
    sortByName(folders);
    sortByName(files);
    result.entries.reserve(folders.size() + files.size());
    for (const RawEntry& r : std::as_const(folders))
        result.entries.append(r.entry);
    for (const RawEntry& r : std::as_const(files))
        result.entries.append(r.entry);
    return result;
}

FolderListing listSubFolders(const QByteArray& folder)
{
    FolderListing result;
    QList<RawEntry> folders;
    result.readable = readFolder(folder, [&](const QByteArray& name, const struct stat& st, int) {
        if (!S_ISDIR(st.st_mode))
            return;
        RawEntry raw;
        raw.entry.nativeName = name;
        raw.entry.name = QString::fromUtf8(name);
        raw.entry.kind = LocalItemKind::Folder;
        raw.entry.imageKey = QStringLiteral("ClsFolder");
        raw.entry.modified = modifiedOf(st);
        raw.sortKey = raw.entry.name.toUpper();
        folders.append(raw);
    });
    sortByName(folders);
    for (const RawEntry& r : std::as_const(folders))
        result.entries.append(r.entry);
    return result;
}

} // namespace jvz
