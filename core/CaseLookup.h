#pragma once

#include <QHash>
#include <QString>

namespace jvz {

// Files written on a case-insensitive file system name each other in any case. The exact name wins;
// otherwise the one entry of the folder whose name differs only in case (the first in name order when
// several do). The folder part is matched the same way, level by level. Returns the path as given when
// nothing matches, so callers report the name the user wrote.
QString resolvePathAnyCase(const QString& path);

// The same look-up for many paths in the same folders (a catalogue list's files): each folder that must be
// searched is read once, at its first search, and kept for the object's life. For a pass over folders that
// nothing writes to meanwhile.
class PathCaseResolver {
public:
    QString resolve(const QString& path);

private:
    // Case-folded name -> the folder's first entry (in name order) with that name.
    QHash<QString, QHash<QString, QString>> m_folders;
};

} // namespace jvz
