#pragma once

// Item data of the local tree (TreeView1), the local file list (ListView1) and the path combo (ImageCombo1).
// Code decides on an item by these roles, never by its display text.

#include <Qt>

namespace jvz {

namespace LocalRole {
enum : int {
    // QString: the full path as it can be shown. Containers (drives, folders, folder links) end in "/";
    // the tree's root and the path combo's "My Computer" entry hold the empty text.
    FullPath = Qt::UserRole + 1,
    // QByteArray: the same path as the exact bytes of the file system, for names that are not valid in the
    // file-name encoding (FullPath then shows a replacement character). Use it to open or delete.
    NativePath,
    // QString: the image key ("My Computer", "Drive", "ClsFolder", "RacFolder", "CatFile", "Unknown", "coche"...).
    ImageKey,
    // int: a LocalItemKind.
    Kind,
    // qint64: the size in bytes; -1 for anything without a size (folders, drives, an accepted descriptor).
    Size,
    // QString: the image key to restore while the item shows the check mark "coche"; empty otherwise.
    SavedImageKey,
    // QDateTime: the last-write time (local time); invalid for drives.
    Modified,
};
} // namespace LocalRole

enum class LocalItemKind : int {
    Root = 0,  // "My Computer"
    Drive = 1, // a mounted volume
    Folder = 2,
    FolderLink = 3, // a symbolic link to a folder
    File = 4,
};

} // namespace jvz
