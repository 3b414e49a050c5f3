#pragma once

#include <QString>

namespace jvz {

// Files written on a case-insensitive file system name each other in any case. The exact name wins;
// otherwise the one entry of the folder whose name differs only in case (the first in name order when
// several do). The folder part is matched the same way, level by level. Returns the path as given when
// nothing matches, so callers report the name the user wrote.
QString resolvePathAnyCase(const QString& path);

} // namespace jvz
