// Copies of catalogue lists for another product: the codes offered, the names made, the copies byte for byte,
// and what is never copied.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "Paths.h"
#include "platform/FileWriter.h"
#include "workspace/AuthoringFiles.h"
#include "workspace/CatalogueCopy.h"
#include "workspace/ProductCodes.h"

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

TEST(ProductCodeFile, EmptyLinesOfTheFileAreNoTargets)
{
    const QString root = authoringScratch("prm");
    putFile(root + "/codes.prm", "M30 thirty\r\n\r\nM40 forty\nM50 last");
    QStringList lines;
    ASSERT_TRUE(readProductCodeFile(root + "/codes.prm", lines));
    EXPECT_EQ(copyTargetLines(lines, "*.M40"), (QStringList{"M30 thirty", "M50 last"}));
    EXPECT_FALSE(readProductCodeFile(root + "/missing.prm", lines));
    EXPECT_TRUE(copyTargetLines(lines, "*.M40").isEmpty());
}

} // namespace

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// The copy command: the product-code file the settings name, the dialog driven by its object names.
TEST_F(CatalogueCopy, CommandOffersTheOtherProductsAndCopiesOnOk)
{
    AuthoringRig rig(root);
    rig.settings.gCataExtFile = "codes/Products.PRM"; // not the program's own name: the setting counts
    putFile(root + "/codes/Products.PRM", "M40 Product forty\r\nM30 Product thirty\r\nM?? every product\r\n");
    putFile(root + "/JVZ.prm", "M50 never read\r\n");
    putFile(root + "/A.M30", "exists");
    rig.selection = {root + "/A.M40", root + "/B.M40", root + "/NOTE.TXT"};
    rig.authoring->runModal = [&](QDialog& d) {
        auto* combo = d.findChild<QComboBox*>("Combo1");
        EXPECT_EQ(combo->count(), 1);
        EXPECT_EQ(combo->currentText(), QStringLiteral("M30 Product thirty"));
        auto* list1 = d.findChild<QListWidget*>("List1");
        EXPECT_EQ(list1->count(), 2);
        auto* list2 = d.findChild<QListWidget*>("List2");
        EXPECT_EQ(list2->count(), 2);
        EXPECT_EQ(list2->item(0)->text(), QStringLiteral("A.M30"));
        const QString shot = binDir() + "/../screenshots/catalogue_copy.png";
        QDir().mkpath(QFileInfo(shot).absolutePath());
        EXPECT_TRUE(d.grab().save(shot));
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_OK"), Qt::LeftButton);
        return d.result();
    };
    rig.authoring->MNU_Catalog_create_Click();
    EXPECT_EQ(fileBytes(root + "/A.M30"), QByteArray("exists"));
    EXPECT_EQ(fileBytes(root + "/B.M30"), QByteArray("; B\r\n"));
    ASSERT_EQ(rig.notifier.shown.size(), 1u);
    EXPECT_EQ(rig.notifier.shown[0].text, QStringLiteral("This catalogue exists already and is not copied : A.M30"));
    EXPECT_EQ(rig.filter, QStringLiteral("*.M??"));
    EXPECT_EQ(rig.refreshes, 1);
}

TEST_F(CatalogueCopy, CancelCopiesNothingAndAMissingCodeFileOffersNothing)
{
    AuthoringRig rig(root);
    rig.selection = {root + "/A.M40"};
    rig.authoring->runModal = [&](QDialog& d) {
        EXPECT_EQ(d.findChild<QComboBox*>("Combo1")->count(), 0);
        EXPECT_FALSE(d.findChild<QPushButton*>("BTN_OK")->isEnabled());
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_Cancel"), Qt::LeftButton);
        return d.result();
    };
    rig.authoring->MNU_Catalog_create_Click();
    EXPECT_EQ(QDir(root).entryList(QDir::Files), (QStringList{"A.M40", "B.M40"}));
    EXPECT_TRUE(rig.notifier.shown.empty());
}

} // namespace
