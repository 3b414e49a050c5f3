#include "core/CatalogExtension.h"

#include <gtest/gtest.h>

using namespace jvz;

TEST(CatalogExtension, UpperCasedExtensionAgainstTheLastThreeCharactersOfEachFilter)
{
    const QStringList filters = {"*.M40", "*.m30", "*.*"};
    struct Row {
        const char* extension;
        bool catalogue;
    };
    const Row rows[] = {
        {"M40", true},  {"m40", true},  // the extension is upper-cased
        {"M30", false}, {"m30", false}, // the items are not
        {"*.*", true},                  // as compared: the last item's own three characters
        {"", false},    {"TXT", false}, {"M4", false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(isCatalogExtension(filters, r.extension), r.catalogue) << r.extension;
        EXPECT_EQ(catalogueImageKey(filters, r.extension), r.catalogue ? "CatFile" : "Unknown") << r.extension;
    }
    EXPECT_FALSE(isCatalogExtension({}, "M40"));
}
