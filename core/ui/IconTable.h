#pragma once

#include <QIcon>
#include <QString>

namespace jvz {

// The program's one image list: an image key of the windows (drive kinds, folders, catalogue and descriptor
// files, the toolbar and icon-bar buttons) to an icon of the freedesktop theme, with a style icon when the
// theme has none, so every key shows something on a bare system. Icons are made once and shared.
// An unknown key gives the "Unknown" icon.
QIcon iconForImageKey(const QString& key);

// Whether the table knows the key.
bool isImageKey(const QString& key);

// How many keys were looked up since the start (a batch run must not look any up).
int iconLookups();

} // namespace jvz
