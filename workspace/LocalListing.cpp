#include "LocalListing.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"
#include "platform/WildcardMatch.h"
#include "terminal_files/PackageDescriptor.h"

#include <QEventLoop>
#include <QFile>
#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>
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
// stop is asked every few hundred entries; *stopped tells whether it ended the read.
// foldersOnly: entries the directory itself says are no folders are passed over unread, so the tree's
// read of a folder of many files costs little more than the directory.
template <typename Visit>
bool readFolder(const QByteArray& folder, Visit visit, const ListingStop& stop, bool* stopped, bool foldersOnly = false)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    unsigned seen = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (stop && (++seen & 255) == 0 && stop()) {
            *stopped = true;
            break;
        }
        if (isHidden(d->d_name))
            continue;
        if (foldersOnly && d->d_type != DT_DIR && d->d_type != DT_UNKNOWN)
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

// One item of a name pattern; every item but a star takes exactly one character.
struct LikeItem {
    enum Kind { Star, AnyOne, Digit, List, Literal } kind = Literal;
    QChar literal;
    QString list;
    bool negate = false;

    bool takes(QChar c) const
    {
        switch (kind) {
        case AnyOne:
            return true;
        case Digit:
            return c.isDigit();
        case List:
            return charInList(c, list) != negate;
        default:
            return c == literal;
        }
    }
};

QList<LikeItem> likeItems(const QString& p)
{
    QList<LikeItem> items;
    for (qsizetype pi = 0; pi < p.size(); ++pi) {
        const QChar pc = p.at(pi);
        LikeItem item;
        if (pc == QLatin1Char('*')) {
            if (!items.isEmpty() && items.last().kind == LikeItem::Star)
                continue;
            item.kind = LikeItem::Star;
        } else if (pc == QLatin1Char('?')) {
            item.kind = LikeItem::AnyOne;
        } else if (pc == QLatin1Char('#')) {
            item.kind = LikeItem::Digit;
        } else if (pc == QLatin1Char('[') && p.indexOf(QLatin1Char(']'), pi + 1) >= 0) {
            const qsizetype close = p.indexOf(QLatin1Char(']'), pi + 1);
            item.kind = LikeItem::List;
            item.list = p.mid(pi + 1, close - pi - 1);
            item.negate = item.list.startsWith(QLatin1Char('!'));
            if (item.negate)
                item.list.remove(0, 1);
            pi = close;
        } else { // an unclosed bracket is taken literally
            item.literal = pc;
        }
        items.append(item);
    }
    return items;
}

bool likeItemsMatch(const QString& text, const QList<LikeItem>& items)
{
    return wildcardMatch(
        text.size(), items.size(), [&](std::size_t p) { return items.at(p).kind == LikeItem::Star; },
        [&](std::size_t p, std::size_t n) { return items.at(p).takes(text.at(n)); });
}

// The list's pattern: the name pattern followed by the type pattern, upper-cased; "*.*" means every file,
// names without an extension have no "." to match.
QList<LikeItem> listPatternItems(const QString& namePattern, const QString& typePattern)
{
    const QString type = typePattern == QLatin1String("*.*") ? QStringLiteral("*") : typePattern;
    return likeItems((namePattern + type).toUpper());
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
    return likeItemsMatch(text, likeItems(pattern));
}

bool matchesListPattern(const QString& name, const QString& namePattern, const QString& typePattern)
{
    return likeItemsMatch(name.toUpper(), listPatternItems(namePattern, typePattern));
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
    const QList<LikeItem> pattern = listPatternItems(options.namePattern, options.typePattern);
    QHash<QString, QString> imageByExtension;
    result.readable = readFolder(
        folder,
        [&](const QByteArray& name, const struct stat& st, int fd) {
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
            e.kind = LocalItemKind::File;
            e.size = st.st_size;
            if (S_ISLNK(st.st_mode)) {
                struct stat target {};
                if (::fstatat(fd, name.constData(), &target, 0) == 0) {
                    if (S_ISDIR(target.st_mode)) {
                        e.kind = LocalItemKind::FolderLink;
                        e.imageKey = QStringLiteral("RacFolder");
                        e.size = -1;
                        folders.append(raw);
                        return;
                    }
                    e.size = target.st_size; // what a transfer of the link reads; a dangling one keeps its own
                }
            }
            // Many files share few extensions: each is looked up once per listing.
            const qsizetype dot = e.name.lastIndexOf(QLatin1Char('.'));
            const QString extension = dot < 0 ? QString() : e.name.mid(dot + 1);
            auto known = imageByExtension.constFind(extension);
            if (known == imageByExtension.cend())
                known = imageByExtension.insert(extension, fileImageKey(e.name, options.filterItems));
            e.imageKey = *known;
            const bool matches = likeItemsMatch(raw.sortKey, pattern);
            if (raw.sortKey.contains(QLatin1String("DESCRIPTOR.XML"))) {
                if (!descriptorSuitsTerminal(folder + name, options.productCode))
                    return;
                if (!matches)
                    e.size = -1; // listed for the terminal, not for the patterns
                files.append(raw);
                return;
            }
            if (matches)
                files.append(raw);
        },
        options.stop, &result.stopped);
    sortByName(folders);
    sortByName(files);
    result.entries.reserve(folders.size() + files.size());
    for (RawEntry& r : folders)
        result.entries.append(std::move(r.entry));
    folders = {};
    for (RawEntry& r : files)
        result.entries.append(std::move(r.entry));
    return result;
}

FolderListing listSubFolders(const QByteArray& folder, const ListingStop& stop)
{
    FolderListing result;
    QList<RawEntry> folders;
    result.readable = readFolder(
        folder,
        [&](const QByteArray& name, const struct stat& st, int) {
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
        },
        stop, &result.stopped, true);
    sortByName(folders);
    for (RawEntry& r : folders)
        result.entries.append(std::move(r.entry));
    return result;
}

ServedFolderReads::ServedFolderReads(int waitLimitMs)
    : m_listGeneration(std::make_shared<std::atomic<quint64>>(0)),
      m_treeGeneration(std::make_shared<std::atomic<quint64>>(0)), m_waitLimitMs(waitLimitMs)
{
}

template <typename Read>
FolderListing ServedFolderReads::served(std::atomic<quint64>& generation, Read read, bool* superseded)
{
    const quint64 mine = ++generation;
    auto promise = std::make_shared<QPromise<FolderListing>>();
    QFuture<FolderListing> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, read] {
        promise->addResult(read());
        promise->finish();
    });
    if (!future.isFinished()) {
        ++m_waiting;
        QEventLoop loop;
        QFutureWatcher<FolderListing> watcher;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(future);
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(m_waitLimitMs);
        if (!future.isFinished())
            loop.exec();
        --m_waiting;
    }
    const bool newer = generation.load() != mine;
    if (superseded)
        *superseded = newer;
    if (!future.isFinished()) {
        // Still reading: it is left to end on its own, its result unused.
        if (generation.load() == mine)
            ++generation;
        return {};
    }
    return future.result();
}

FolderListing ServedFolderReads::listFolder(const QByteArray& folder, ListingOptions options, bool* superseded)
{
    const std::shared_ptr<std::atomic<quint64>> generation = m_listGeneration;
    const quint64 next = generation->load() + 1;
    options.stop = [generation, next] { return generation->load() != next; };
    return served(
        *generation, [folder, options] { return jvz::listFolder(folder, options); }, superseded);
}

FolderListing ServedFolderReads::listSubFolders(const QByteArray& folder, bool* superseded)
{
    const std::shared_ptr<std::atomic<quint64>> generation = m_treeGeneration;
    const quint64 next = generation->load() + 1;
    ListingStop stop = [generation, next] { return generation->load() != next; };
    return served(
        *generation, [folder, stop] { return jvz::listSubFolders(folder, stop); }, superseded);
}

} // namespace jvz
