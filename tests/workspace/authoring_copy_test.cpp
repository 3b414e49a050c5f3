// Copies of catalogue lists for another product: the codes offered, the names made, the copies byte for byte,
// and what is never copied.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "platform/FileWriter.h"
#include "workspace/AuthoringFiles.h"
#include "workspace/CatalogueCopy.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace jvz;
using namespace jvztest;

namespace {

using Kind = CatalogueCopyOutcome::Kind;

const QStringList kProductLines = {"M30 Product thirty", "M40 Product forty", "m50 lower case", "M?? Every product",
                                   "MX*"};

TEST(CatalogueCopyCodes, FilteredCodeAndPatternsAreNotOffered)
{
    const struct {
        const char* filter;
        QStringList offered;
    } cases[] = {
        {"*.M40", {"M30 Product thirty", "m50 lower case"}},
        {"*.M30", {"M40 Product forty", "m50 lower case"}},
        // The filter compares exactly: the lower-case line stays offered under an upper-case filter.
        {"*.M50", {"M30 Product thirty", "M40 Product forty", "m50 lower case"}},
        {"*.*", {"M30 Product thirty", "M40 Product forty", "m50 lower case"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(copyTargetLines(kProductLines, QLatin1String(c.filter)), c.offered) << c.filter;
    EXPECT_EQ(productCodeOfLine("m50 lower case"), QStringLiteral("M50"));
}

TEST(CatalogueCopyCodes, TargetNamesKeepTheBaseNameAndNeverHoldAPattern)
{
    const QStringList sources = {"/d/A.M40", "/d/two.dots.M40", "/d/NOEXT"};
    EXPECT_EQ(copyTargetNames(sources, "M30"), (QStringList{"A.M30", "two.dots.M30", "NOEXT.M30"}));
    for (const char* code : {"M??", "M3?", "*", ""})
        EXPECT_TRUE(copyTargetNames(sources, QLatin1String(code)).isEmpty()) << code;
}

class CatalogueCopy : public ::testing::Test {
protected:
    CatalogueCopy() : root(authoringScratch("copy"))
    {
        putFile(root + "/A.M40", fileBytesOfGolden());
        putFile(root + "/B.M40", "; B\r\n");
    }
    QByteArray fileBytesOfGolden() { return golden("copy_A.M30.golden", root); }

    static std::vector<Kind> kinds(const std::vector<CatalogueCopyOutcome>& outcomes)
    {
        std::vector<Kind> k;
        for (const auto& o : outcomes)
            k.push_back(o.kind);
        return k;
    }

    QString root;
};

TEST_F(CatalogueCopy, EachSourceGetsItsCopyBesideIt)
{
    const auto outcomes = copyCatalogues({root + "/A.M40", root + "/B.M40"}, "M30", AtomicFileWriter::standard());
    EXPECT_EQ(kinds(outcomes), (std::vector<Kind>{Kind::Copied, Kind::Copied}));
    EXPECT_EQ(fileBytes(root + "/A.M30"), golden("copy_A.M30.golden", root));
    EXPECT_EQ(fileBytes(root + "/B.M30"), QByteArray("; B\r\n"));
    EXPECT_EQ(outcomes[0].target, root + "/A.M30");
}

TEST_F(CatalogueCopy, ExistingTargetIsReportedAndKeptTheNextIsStillMade)
{
    putFile(root + "/A.M30", "mine");
    const auto outcomes = copyCatalogues({root + "/A.M40", root + "/B.M40"}, "M30", AtomicFileWriter::standard());
    EXPECT_EQ(kinds(outcomes), (std::vector<Kind>{Kind::AlreadyExisting, Kind::Copied}));
    EXPECT_EQ(fileBytes(root + "/A.M30"), QByteArray("mine"));
    EXPECT_EQ(fileBytes(root + "/B.M30"), QByteArray("; B\r\n"));
}

TEST_F(CatalogueCopy, AFailureEndsTheCopyingWithoutAPartialFile)
{
    FailingFileWriter failing(FailingFileWriter::FailAt::Write, 4);
    const auto outcomes = copyCatalogues({root + "/A.M40", root + "/B.M40"}, "M30", failing);
    ASSERT_EQ(kinds(outcomes), std::vector<Kind>{Kind::Failed});
    EXPECT_EQ(outcomes[0].target, root + "/A.M30");
    EXPECT_FALSE(outcomes[0].detail.isEmpty());
    EXPECT_EQ(QDir(root).entryList(QDir::Files | QDir::Hidden), (QStringList{"A.M40", "B.M40"}));
}

TEST_F(CatalogueCopy, OnlyCatalogueListsAreTaken)
{
    putFile(root + "/APP.SGN", "x");
    putFile(root + "/c.m40", "; lower case");
    QDir().mkpath(root + "/FOLDER.M40");
    const QStringList filterItems = {"*.M40", "*.M30", "*.M??", "*.*"};
    const QStringList picked = catalogueListsOf(
        {root + "/A.M40", root + "/APP.SGN", root + "/FOLDER.M40", root + "/c.m40", root + "/GONE.M40"}, filterItems);
    EXPECT_EQ(picked, (QStringList{root + "/A.M40", root + "/c.m40"}));
}

TEST(ProductCodeFile, LinesOfTheNamedFileEmptyLinesLeftOut)
{
    const QString root = authoringScratch("prm");
    putFile(root + "/codes.prm", "M30 thirty\r\n\r\nM40 forty\nM50 last");
    EXPECT_EQ(readProductCodeLines(root + "/codes.prm"), (QStringList{"M30 thirty", "M40 forty", "M50 last"}));
    EXPECT_TRUE(readProductCodeLines(root + "/missing.prm").isEmpty());
}

} // namespace
