#include "CatalogExtension.h"

namespace jvz {

bool isCatalogExtension(const QStringList& filterItems, const QString& extension)
{
    const QString wanted = extension.toUpper();
    for (const QString& item : filterItems) {
        if (item.right(3) == wanted)
            return true;
    }
    return false;
}

QString catalogueImageKey(const QStringList& filterItems, const QString& extension)
{
    return isCatalogExtension(filterItems, extension) ? QStringLiteral("CatFile") : QStringLiteral("Unknown");
}

} // namespace jvz
