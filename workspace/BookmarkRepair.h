#pragma once

// The start-up repair of a favourite folder read from the bookmark file. A folder that is gone is cut back
// to its deepest existing parent, never above the mount point of the volume it lies on; a folder on a volume
// that is simply not mounted now (a USB stick that is out) is kept as it stands, so that it works again once
// the stick is back. A line that lies on no listed volume is dropped.

#include "platform/VolumeSource.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace jvz {

struct BookmarkVolumes {
    QList<VolumeInfo> mounted;     // the listed volumes
    QStringList absentMountPoints; // mount points the system knows (fstab) that nothing is mounted on now
    // Folders whose sub-folders are where removable media get mounted ("/media/", "/run/media/*/");
    // "*" stands for any one folder name.
    QStringList removableMediaParents;
};

// The machine's volumes as the repair sees them: the volume source's list, the mount points of fstabPath
// not mounted now, and the usual places of removable media.
BookmarkVolumes systemBookmarkVolumes(const VolumeSource& volumes,
                                      const QString& fstabPath = QStringLiteral("/etc/fstab"));

// The mount points of an fstab text (second field, octal escapes undone), each ending in "/"; swap and
// "none" left out.
QStringList fstabMountPoints(const QByteArray& fstab);

class BookmarkRepair {
public:
    using FolderExists = std::function<bool(const QString&)>;

    explicit BookmarkRepair(BookmarkVolumes volumes, FolderExists folderExists = {});

    // The entry to keep for a line of the bookmark file, or nothing when the line is dropped. "My Computer"
    // is kept as it is.
    std::optional<QString> repair(const QString& line) const;

    // The listed mount point that holds the path (the longest prefix); empty when none.
    QString volumeOf(const QString& path) const;
    // True when the path lies under a place where a volume is mounted when present but not now.
    bool liesOnAbsentVolume(const QString& path) const;

private:
    bool exists(const QString& folder) const;
    bool underAbsentMountPoint(const QString& path) const;

    BookmarkVolumes m_volumes;
    FolderExists m_folderExists;
    mutable QHash<QString, bool> m_exists; // the folders looked at so far
};

} // namespace jvz
