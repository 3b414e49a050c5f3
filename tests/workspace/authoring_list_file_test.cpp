// "Software.org": one line per catalogue list, the catalogues taken, and the file byte for byte.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "platform/FileWriter.h"
#include "workspace/CatalogListFile.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace jvz;
using namespace jvztest;

namespace {

const QStringList kCodes = {"M30", "M40"};

TEST(CatalogListLine, FieldsFromTheNameAndTheFirstLine)
{
    const QString root = authoringScratch("listline");
    putFile(root + "/XLOADER.M30", "; loader\r\nA.SGN\r\n");
    putFile(root + "/XLOADER.m30", "A.SGN\r\n; not first\r\n");
    putFile(root + "/EMPTY.M30", "");
    putFile(root + "/X.M30", "; five\r\n");
    putFile(root + "/.M30", "; four\r\n");
    putFile(root + "/BLANKFIRST.M30", "\r\n; second\r\n");
    const struct {
        const char* name;
        std::optional<QString> line;
    } cases[] = {
        {"XLOADER.M30", "LOADER;M30; loader"},
        {"XLOADER.m30", "LOADER;m30;"}, // the code as written in the name
        {"EMPTY.M30", ""},
        {"GONE.M30", ""},
        {"BLANKFIRST.M30", "LANKFIRST;M30;"},
        {"X.M30", ";M30; five"},
        {".M30", std::nullopt}, // four characters or fewer: no line
        {"M30", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildListLine(root, QLatin1String(c.name)), c.line) << c.name;
}

TEST(CatalogListLine, ProductCataloguesByTheirLastThreeCharacters)
{
    const std::pair<const char*, bool> cases[] = {
        {"A.M30", true}, {"A.m40", true}, {"A.M50", false}, {"A.M3", false}, {"M30", true}, {"A.SGN", false},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(IsProductCatalogue(QLatin1String(name), kCodes), expected) << name;
}

TEST(CatalogListFile, SelectedOrWholeFolderByteForByte)
{
    const QString root = authoringScratch("software");
    putFile(root + "/XLOADER.M30", "; loader of the M30\r\nL.SGN\r\n");
    putFile(root + "/-APP.M40", "APP.SGN\r\n");
    putFile(root + "/X.M30", "; five characters\r\n");
    putFile(root + "/UNREADABLE.M30", "");
    putFile(root + "/OTHER.M50", "; unknown product\r\n");
    putFile(root + "/NOTES.TXT", "; not a list\r\n");

    // Selected names, in list order; the unknown product is left out.
    const QStringList selected = {"XLOADER.M30", "-APP.M40", "OTHER.M50", "X.M30", "UNREADABLE.M30"};
    const QStringList lines = catalogListLines(root, selected, kCodes);
    QString error;
    ASSERT_TRUE(writeCatalogListFile(root, lines, AtomicFileWriter::standard(), &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(root + "/Software.org"), golden("Software.org.golden", root));

    // The whole folder: every "*.M??" file sorted by name, whatever its case; unknown codes left out.
    EXPECT_EQ(catalogueNamesInFolder(root),
              (QStringList{"-APP.M40", "OTHER.M50", "UNREADABLE.M30", "X.M30", "XLOADER.M30"}));
    EXPECT_EQ(catalogListLines(root, catalogueNamesInFolder(root), kCodes).size(), 4);
}

TEST(CatalogListFile, FailedWriteKeepsTheOldListAndSaysWhy)
{
    const QString root = authoringScratch("software-fail");
    putFile(root + "/Software.org", "old\r\n");
    FailingFileWriter failing(FailingFileWriter::FailAt::Write, 2);
    QString error;
    EXPECT_FALSE(writeCatalogListFile(root, {"A;M30;", "B;M30;"}, failing, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(root + "/Software.org"), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(root).entryList(QDir::Files | QDir::Hidden), QStringList{"Software.org"});
}

} // namespace
