#pragma once

#include <QString>
#include <QStringList>

namespace jvz {

// A catalogue extension is one of the product codes behind the local catalogue filters ("*.M40", ..., "*.*"):
// the upper-cased extension equals the last 3 characters of a filter item, compared exactly (the items keep
// their own case). Both file lists take their "CatFile" image from it.
bool isCatalogExtension(const QStringList& filterItems, const QString& extension);

// "CatFile" for a catalogue extension, else "Unknown".
QString catalogueImageKey(const QStringList& filterItems, const QString& extension);

} // namespace jvz
