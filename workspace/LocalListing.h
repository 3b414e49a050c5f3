#pragma once

// Reading one local folder for the file list and the tree: hidden entries ("." names) left out, folders
// first, names compared without regard to case, sizes in 64 bits. Paths are handled as the file system's
// bytes so a name that is not valid in the file-name encoding can still be opened and deleted.

#include "core/RuntimeTimings.h"
#include "workspace/LocalItemRoles.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

namespace jvz {

struct LocalEntry {
    QString name; // as shown: invalid bytes become a replacement character
    // The exact bytes, kept only when they are not name's UTF-8 form (invalid bytes); bytes() gives them always.
    QByteArray nativeName;
    LocalItemKind kind = LocalItemKind::File;
    QString imageKey;   // "ClsFolder", "RacFolder", "CatFile", "Unknown"
    qint64 size = -1;   // files; -1 for folders and for a descriptor listed only because it was accepted
    QDateTime modified; // last write

    QByteArray bytes() const { return nativeName.isEmpty() ? name.toUtf8() : nativeName; }
    // Full paths below the folder; containers end in "/".
    QByteArray nativePath(const QByteArray& folder) const;
    QString fullPath(const QString& folder) const;
};

// Asked now and then while a folder is read: true ends the read early (a newer read took its place).
using ListingStop = std::function<bool()>;

struct ListingOptions {
    QString typePattern;     // Combo2's text, "*.M40", "*.*"
    QString namePattern;     // Filter's text, put in front of the type pattern
    QStringList filterItems; // Combo2's list: its product codes are the catalogue extensions
    QString productCode;     // of the connected terminal; empty without a session
    ListingStop stop;        // unset: read to the end
};

struct FolderListing {
    bool readable = false; // false: the folder is gone or cannot be read; entries is empty
    bool stopped = false;  // the read was ended early by its stop test: entries is incomplete
    QList<LocalEntry> entries;
};

// The file list of a folder (ending in "/"): folders and folder links first, then the files that match
// the patterns, and a DESCRIPTOR.XML that suits the connected terminal (once, whatever the patterns).
FolderListing listFolder(const QByteArray& folder, const ListingOptions& options);

// The tree's sub-folders of a folder: real folders only (links are not followed, so a link loop cannot
// grow the tree), hidden ones left out, sorted by name.
FolderListing listSubFolders(const QByteArray& folder, const ListingStop& stop = {});

// Runs on a folder read's own thread before the folder is read; tests hold a read here.
using FolderReadHook = std::function<void(const QByteArray& folder)>;

// Folder reads for the window: each runs on a worker thread while the calling thread's event loop keeps
// being served (timers, repaints, sockets, input), so a large or slow folder never freezes the window. The
// call still returns the listing it asked for. A newer read of the same kind supersedes one still running:
// that one stops early and comes back with superseded set, and its caller leaves the list to the newer one.
// A read that outlasts waitLimitMs (a hung network mount) comes back unreadable. The reads run on threads
// the program's exit does not wait for, so a read stuck in the kernel never holds the exit.
class ServedFolderReads {
public:
    explicit ServedFolderReads(int waitLimitMs = RuntimeTimings{}.folderReadWaitMs);

    void setReadHook(FolderReadHook hook) { m_hook = std::move(hook); }
    // Before the first read: the bound of a read's wait.
    void setWaitLimit(int waitLimitMs) { m_waitLimitMs = waitLimitMs; }

    FolderListing listFolder(const QByteArray& folder, ListingOptions options, bool* superseded = nullptr);
    FolderListing listSubFolders(const QByteArray& folder, bool* superseded = nullptr);
    // Reads being waited for now (nested waits included).
    int waiting() const { return m_waiting; }
    // The list's reads still running give way (the list was given other contents).
    void supersedeLists() { ++*m_listGeneration; }

private:
    template <typename Read>
    FolderListing served(std::atomic<quint64>& generation, const QByteArray& folder, Read read, bool* superseded);

    std::shared_ptr<std::atomic<quint64>> m_listGeneration;
    std::shared_ptr<std::atomic<quint64>> m_treeGeneration;
    int m_waitLimitMs;
    int m_waiting = 0;
    FolderReadHook m_hook;
};

// The name patterns: "*" any run, "?" one character, "#" one digit, "[abc]", "[a-z]", "[!abc]"; compared
// upper-cased. A type pattern "*.*" takes every name, names without an extension too.
bool matchesListPattern(const QString& name, const QString& namePattern, const QString& typePattern);
bool likeMatch(const QString& text, const QString& pattern);

// "Kb" column: (size - 1) / 1024 + 1, so 0 bytes shows 1. Followed by " Kb   ".
qint64 sizeInKb(qint64 bytes);
QString sizeText(qint64 bytes);
// "DD/MM/YYYY hh:mm" in local time.
QString dateText(const QDateTime& time);

// A file's image: "CatFile" when its extension (after the last ".") is a catalogue extension.
QString fileImageKey(const QString& name, const QStringList& filterItems);

// The package descriptor suits the terminal: no product code, or a source location of an application of
// this product code (or of a data file) before the first empty line. Read with a fresh parse state.
bool descriptorSuitsTerminal(const QByteArray& path, const QString& productCode);

// Path helpers for the file system's bytes.
QString displayPath(const QByteArray& native);
QByteArray nativeFromText(const QString& path);

} // namespace jvz
