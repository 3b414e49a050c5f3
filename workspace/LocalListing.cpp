#include "LocalListing.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"
#include "platform/NestedWait.h"
#include "platform/WildcardMatch.h"
#include "terminal_files/PackageDescriptor.h"

#include <QFile>
#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QPromise>
#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace jvz {

namespace {

constexpr qint64 kDescriptorReadLimit = 4 * 1024 * 1024;
// Threads of the pool that help with the lstat of a large folder, besides the one reading it.
constexpr int kStatHelpers = 3;

// The folder reads and their stat helpers run here, never on the global pool: the application waits for the
// global pool when it ends, and a read stuck in the kernel (a hung network mount) would hold the exit for
// ever. This pool is never deleted nor waited for; its tasks hold shared ownership of all they write into.
// A read stuck for good keeps its thread: there is room for others beside it.
QThreadPool& folderReadPool()
{
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(32);
        return p;
    }();
    return *pool;
}

struct RawEntry {
    LocalEntry entry;
    QString sortKey;
};

bool isHidden(const char* name)
{
    return name[0] == '.';
}

void sortByName(QList<RawEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RawEntry& a, const RawEntry& b) { return a.sortKey < b.sortKey; });
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

bool likeItemsMatch(QStringView text, const QList<LikeItem>& items)
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

// One entry of a folder being listed; its name is a slice of the scan's name buffer.
struct ScannedEntry {
    enum Kind : quint8 { Gone, Folder, FolderLink, File };
    quint32 nameAt = 0;
    quint16 nameLength = 0; // a name is at most 255 bytes
    Kind kind = Gone;
    bool ascii = true; // the bytes are their own upper-case and folded forms, once mapped
    quint8 image = 0;  // of a file: an index into FileImages
    qint64 size = -1;
    qint64 modified = 0; // seconds since the epoch
};

// A folder read in two passes: the directory's names into one buffer, then one lstat of each relative to the
// open directory. No string is made per entry until the entries kept are known and sorted.
class FolderScan {
public:
    // FoldersOnly: entries the directory itself says are no folders are passed over unread, so the tree's
    // read of a folder of many files costs little more than the directory.
    enum Entries { AllEntries, FoldersOnly };
    // stop is asked every few hundred entries; *stopped tells whether it ended the read.
    bool read(const QByteArray& folder, const ListingStop& stop, bool* stopped, Entries wanted = AllEntries);

    quint32 count() const { return quint32(m_entries.size()); }
    ScannedEntry& entry(quint32 i) { return m_entries[i]; }
    const ScannedEntry& entry(quint32 i) const { return m_entries[i]; }
    const char* nameData(quint32 i) const { return m_names.data() + m_entries[i].nameAt; }
    QByteArrayView name(quint32 i) const { return {nameData(i), m_entries[i].nameLength}; }
    QString text(quint32 i) const
    {
        const ScannedEntry& e = m_entries[i];
        return e.ascii ? QString::fromLatin1(nameData(i), e.nameLength) : QString::fromUtf8(name(i));
    }
    // The name upper-cased into out, whose buffer is reused from one name to the next.
    void upperName(quint32 i, QString& out) const;
    // Fills an entry made in place in the listing.
    void fill(quint32 i, const QStringList& fileImages, LocalEntry& e) const;

private:
    void statAll(int fd, const ListingStop& stop, bool* stopped);
    void statEntry(int fd, ScannedEntry& e) const;

    std::string m_names; // each name followed by a NUL, for the calls that take a C string
    std::vector<ScannedEntry> m_entries;
};

bool FolderScan::read(const QByteArray& folder, const ListingStop& stop, bool* stopped, Entries wanted)
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
        if (wanted == FoldersOnly && d->d_type != DT_DIR && d->d_type != DT_UNKNOWN)
            continue;
        ScannedEntry e;
        e.nameAt = quint32(m_names.size());
        for (const char* c = d->d_name; *c; ++c) {
            m_names.push_back(*c);
            e.ascii = e.ascii && static_cast<unsigned char>(*c) < 0x80;
        }
        m_names.push_back('\0');
        e.nameLength = quint16(m_names.size() - e.nameAt - 1);
        m_entries.push_back(e);
    }
    if (!*stopped)
        statAll(fd, stop, stopped);
    ::closedir(dir);
    return true;
}

// The lstat of every entry is most of a large folder's read: it is shared out in slices to idle threads of
// the pool, this thread taking slices too. A helper that starts late finds no slice left and touches
// nothing, so this thread waits only for the helpers that are inside a slice.
void FolderScan::statAll(int fd, const ListingStop& stop, bool* stopped)
{
    struct Shared {
        std::atomic<quint32> next{0};
        std::mutex mutex;
        std::condition_variable idle;
        int working = 0;
    };
    constexpr quint32 kSlice = 1024;
    const quint32 total = count();
    const auto shared = std::make_shared<Shared>();
    const auto work = [this, fd, total](Shared& s) {
        for (quint32 at = s.next.fetch_add(kSlice); at < total; at = s.next.fetch_add(kSlice)) {
            const quint32 end = std::min(total, at + kSlice);
            for (quint32 i = at; i < end; ++i)
                statEntry(fd, m_entries[i]);
        }
    };
    const int helpers = std::min<int>(kStatHelpers, int(total / (4 * kSlice)));
    for (int h = 0; h < helpers; ++h) {
        const bool started = folderReadPool().tryStart([shared, work] {
            {
                const std::lock_guard<std::mutex> lock(shared->mutex);
                ++shared->working;
            }
            work(*shared);
            const std::lock_guard<std::mutex> lock(shared->mutex);
            if (--shared->working == 0)
                shared->idle.notify_all();
        });
        if (!started)
            break; // no idle thread: this one does the rest
    }
    for (quint32 at = shared->next.fetch_add(kSlice); at < total; at = shared->next.fetch_add(kSlice)) {
        if (stop && stop()) {
            *stopped = true;
            shared->next = total; // the helpers end with the slice they hold
            break;
        }
        const quint32 end = std::min(total, at + kSlice);
        for (quint32 i = at; i < end; ++i)
            statEntry(fd, m_entries[i]);
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->idle.wait(lock, [&] { return shared->working == 0; });
}

void FolderScan::statEntry(int fd, ScannedEntry& e) const
{
    const char* name = m_names.data() + e.nameAt;
    struct stat st {};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return; // gone since the folder was read
    e.modified = st.st_mtim.tv_sec;
    if (S_ISDIR(st.st_mode)) {
        e.kind = ScannedEntry::Folder;
        return;
    }
    e.kind = ScannedEntry::File;
    e.size = st.st_size;
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (::fstatat(fd, name, &target, 0) == 0) {
            if (S_ISDIR(target.st_mode)) {
                e.kind = ScannedEntry::FolderLink;
                e.size = -1;
                return;
            }
            e.size = target.st_size; // what a transfer of the link reads; a dangling one keeps its own
        }
    }
}

void FolderScan::upperName(quint32 i, QString& out) const
{
    const ScannedEntry& e = m_entries[i];
    if (!e.ascii) {
        out = text(i).toUpper();
        return;
    }
    out.resize(e.nameLength);
    QChar* to = out.data();
    const char* from = nameData(i);
    for (quint16 k = 0; k < e.nameLength; ++k) {
        const char c = from[k];
        to[k] = QLatin1Char(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c);
    }
}

void FolderScan::fill(quint32 i, const QStringList& fileImages, LocalEntry& e) const
{
    const ScannedEntry& s = m_entries[i];
    e.name = text(i);
    if (!s.ascii && e.name.toUtf8() != name(i))
        e.nativeName = name(i).toByteArray();
    e.modified = QDateTime::fromSecsSinceEpoch(s.modified, Qt::UTC);
    e.size = s.size;
    switch (s.kind) {
    case ScannedEntry::Folder:
        e.kind = LocalItemKind::Folder;
        e.imageKey = QStringLiteral("ClsFolder");
        break;
    case ScannedEntry::FolderLink:
        e.kind = LocalItemKind::FolderLink;
        e.imageKey = QStringLiteral("RacFolder");
        break;
    case ScannedEntry::File:
    case ScannedEntry::Gone:
        e.kind = LocalItemKind::File;
        e.imageKey = fileImages.value(s.image);
        break;
    }
}

// The image of each file, looked up once per extension: many files share few extensions.
class FileImages {
public:
    explicit FileImages(const QStringList& filterItems) : m_filterItems(filterItems) {}

    quint8 of(const FolderScan& scan, quint32 i)
    {
        const QByteArrayView name = scan.name(i);
        const qsizetype dot = name.lastIndexOf('.');
        // The key keeps the dot: a name without one and a name ending in one are told apart.
        const QByteArrayView extension = dot < 0 ? QByteArrayView() : name.sliced(dot);
        const auto known = m_byExtension.constFind(QByteArray::fromRawData(extension.data(), extension.size()));
        if (known != m_byExtension.cend())
            return *known;
        const QString key = fileImageKey(scan.text(i), m_filterItems);
        qsizetype index = m_keys.indexOf(key);
        if (index < 0) {
            m_keys.append(key);
            index = m_keys.size() - 1;
        }
        m_byExtension.insert(extension.toByteArray(), quint8(index));
        return quint8(index);
    }
    const QStringList& keys() const { return m_keys; }

private:
    QStringList m_filterItems;
    QStringList m_keys; // "CatFile", "Unknown": a handful
    QHash<QByteArray, quint8> m_byExtension;
};

// The list's order: names compared as QString::compare without regard to case compares them, so the list
// model finds the rows in its own order and has no sorting left to do. Each name's folded form is made once,
// into one buffer; entries of equal keys keep the directory's order.
class SortKeys {
public:
    void add(const FolderScan& scan, quint32 i)
    {
        if (m_at.size() < scan.count())
            m_at.resize(scan.count());
        const ScannedEntry& e = scan.entry(i);
        m_at[i].first = quint32(m_keys.size());
        if (e.ascii) {
            const char* from = scan.nameData(i);
            for (quint16 k = 0; k < e.nameLength; ++k) {
                const char c = from[k];
                m_keys.push_back(char16_t(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
            }
        } else {
            const QString folded = scan.text(i).toCaseFolded();
            m_keys.insert(m_keys.end(), folded.utf16(), folded.utf16() + folded.size());
        }
        m_at[i].second = quint32(m_keys.size()) - m_at[i].first;
    }

    void sort(std::vector<quint32>& indexes) const
    {
        // Equal keys go by index, the directory's order: as stable as a stable sort, without its buffer.
        std::sort(indexes.begin(), indexes.end(), [this](quint32 a, quint32 b) {
            const int c = key(a).compare(key(b));
            return c < 0 || (c == 0 && a < b);
        });
    }

private:
    std::u16string_view key(quint32 i) const { return {m_keys.data() + m_at[i].first, m_at[i].second}; }

    std::vector<char16_t> m_keys;
    std::vector<std::pair<quint32, quint32>> m_at; // by entry: where its key starts, its length
};

} // namespace

QByteArray LocalEntry::nativePath(const QByteArray& folder) const
{
    QByteArray p = folder + bytes();
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
    // Non-blocking and a regular file only: a FIFO or a device under the name is no descriptor, and must not
    // hold the read of the folder.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
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
    FolderScan scan;
    result.readable = scan.read(folder, options.stop, &result.stopped);
    if (!result.readable || result.stopped)
        return result;

    const QList<LikeItem> pattern = listPatternItems(options.namePattern, options.typePattern);
    FileImages images(options.filterItems);
    SortKeys keys;
    std::vector<quint32> folders;
    std::vector<quint32> files;
    QString upper; // the name upper-cased, for the patterns; reused from name to name
    for (quint32 i = 0; i < scan.count(); ++i) {
        if (options.stop && (i & 255) == 0 && options.stop()) {
            result.stopped = true;
            return result;
        }
        ScannedEntry& e = scan.entry(i);
        if (e.kind == ScannedEntry::Gone)
            continue;
        if (e.kind != ScannedEntry::File) {
            keys.add(scan, i);
            folders.push_back(i);
            continue;
        }
        scan.upperName(i, upper);
        const bool matches = likeItemsMatch(upper, pattern);
        if (upper.contains(QLatin1String("DESCRIPTOR.XML"))) {
            if (!descriptorSuitsTerminal(folder + scan.name(i).toByteArray(), options.productCode))
                continue;
            if (!matches)
                e.size = -1; // listed for the terminal, not for the patterns
        } else if (!matches) {
            continue;
        }
        e.image = images.of(scan, i);
        keys.add(scan, i);
        files.push_back(i);
    }
    keys.sort(folders);
    keys.sort(files);
    result.entries.reserve(qsizetype(folders.size() + files.size()));
    for (const std::vector<quint32>* part : {&folders, &files}) {
        for (const quint32 i : *part)
            scan.fill(i, images.keys(), result.entries.emplaceBack());
    }
    return result;
}

FolderListing listSubFolders(const QByteArray& folder, const ListingStop& stop)
{
    FolderListing result;
    FolderScan scan;
    result.readable = scan.read(folder, stop, &result.stopped, FolderScan::FoldersOnly);
    QList<RawEntry> folders;
    for (quint32 i = 0; i < scan.count(); ++i) {
        if (scan.entry(i).kind != ScannedEntry::Folder)
            continue; // links are not followed: a link loop cannot grow the tree
        RawEntry raw;
        scan.fill(i, {}, raw.entry);
        raw.sortKey = raw.entry.name.toUpper();
        folders.append(std::move(raw));
    }
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
FolderListing ServedFolderReads::served(std::atomic<quint64>& generation, const QByteArray& folder, Read read,
                                        bool* superseded)
{
    const quint64 mine = ++generation;
    auto promise = std::make_shared<QPromise<FolderListing>>();
    QFuture<FolderListing> future = promise->future();
    promise->start();
    folderReadPool().start([promise, folder, read, hook = m_hook] {
        if (hook)
            hook(folder);
        promise->addResult(read());
        promise->finish();
    });
    if (!future.isFinished()) {
        ++m_waiting;
        QFutureWatcher<FolderListing> watcher;
        NestedWait wait(WaitKind::NestedLoop, m_waitLimitMs);
        wait.endsOn(&watcher, &QFutureWatcherBase::finished);
        watcher.setFuture(future);
        if (!future.isFinished())
            wait.run();
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
        *generation, folder, [folder, options] { return jvz::listFolder(folder, options); }, superseded);
}

FolderListing ServedFolderReads::listSubFolders(const QByteArray& folder, bool* superseded)
{
    const std::shared_ptr<std::atomic<quint64>> generation = m_treeGeneration;
    const quint64 next = generation->load() + 1;
    ListingStop stop = [generation, next] { return generation->load() != next; };
    return served(
        *generation, folder, [folder, stop] { return jvz::listSubFolders(folder, stop); }, superseded);
}

} // namespace jvz
