// Catalogue packs: names from the chosen path, which names are lists, the pack catalogue byte for byte (the
// example pack, nested lists), duplicates, cycles, aliased targets and failures.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "platform/FileWriter.h"
#include "terminal_files/CatalogList.h"
#include "workspace/CataloguePack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace jvz;
using namespace jvztest;

namespace {

using Outcome = CataloguePack::SaveOutcome;

TEST(PackNames, FolderAndCatalogueFromTheChosenPath)
{
    const struct {
        const char* chosen;
        const char* filter;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/packs/MYPACK.M30", "*.M40", "/packs/MYPACK/", "MYPACK.M30"},
        {"/packs/MYPACK", "*.M30", "/packs/MYPACK/", "MYPACK.M30"},
        {"/packs/MYPACK", "*.*", "/packs/MYPACK/", "MYPACK.Mxx"},
        {"/packs/MYPACK", "*.M??", "/packs/MYPACK/", "MYPACK.Mxx"},
        {"/packs/MYPACK", "*.m30", "/packs/MYPACK/", "MYPACK.Mxx"}, // the pattern is case-sensitive
        {"/packs/my.pack.M30", "*.M30", "/packs/my.pack/", "my.pack.M30"},
        {"/TOP", "*.M30", "/TOP/", "TOP.M30"},
        {"", "*.M30", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackFolderFrom(QLatin1String(c.chosen)), QLatin1String(c.folder)) << c.chosen;
        EXPECT_EQ(PackFileNameFrom(QLatin1String(c.chosen), QLatin1String(c.filter)), QLatin1String(c.name))
            << c.chosen << " " << c.filter;
    }
}

TEST(PackNames, CatalogueListsByName)
{
    const std::pair<const char*, bool> cases[] = {
        {"A.M30", true},    {"A.m01", true},  {"A.M1X", true},  {"A.MXX", true},  {"A.mxx", true},
        {"A.M00", false},   {"A.MAB", false}, {"A.SGN", false}, {"M30", false},   {"A.M3", false},
        {"/d/A.M40", true}, {"A.N30", false}, {"A.M-1", false}, {"A.M+1", false},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(IsPackCatalogue(QLatin1String(name)), expected) << name;
}

TEST(PackLineRules, BlankLinesSkippedAndDirectoryLinesAreFileNames)
{
    const CatalogLineRules rules{CatalogLineRules::EmptyLines::SkipBlank, CatalogLineRules::DirectoryLines::AsFiles};
    const std::pair<const char*, std::optional<CatalogLineKind>> cases[] = {
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"\t", std::nullopt},
        {"-eSWAP", CatalogLineKind::File},
        {";x", CatalogLineKind::Comment},
        {" ;x", CatalogLineKind::File},
    };
    for (const auto& [line, kind] : cases)
        EXPECT_EQ(classifyCatalogLine(QString::fromLatin1(line), rules), kind) << line;
}

// A pack window's state over a scratch folder, with boxes answered from a queue.
class Pack : public ::testing::Test {
protected:
    Pack() : root(authoringScratch("pack")), texts(authoringTexts("FrmCataloguePack")), pack(services())
    {
        QDir().mkpath(root + "/packs");
    }

    CataloguePack::Services services()
    {
        CataloguePack::Services s;
        s.language = &texts;
        s.notifier = &notifier;
        s.writer = &AtomicFileWriter::standard();
        s.now = fixedClock;
        s.selectEntry = [this](int i) { selected.push_back(i); };
        s.setBusy = [this](bool busy) { busyChanges.push_back(busy); };
        s.title = "Pack";
        return s;
    }

    void examplePack()
    {
        putFile(root + "/cat/A.M30", "; catalogue A for the M30\r\nAPP1.SGN\r\n\\\\server\\share\\X.SGN\r\n");
        putFile(root + "/cat/APP1.SGN", "app one");
        putFile(root + "/lib/LIB.SGN", "library");
        pack.entries = {root + "/cat/A.M30", root + "/lib/LIB.SGN"};
        pack.choosePath(root + "/packs/PACK.M30", "*.M30");
    }

    QStringList shownTexts() const
    {
        QStringList t;
        for (const auto& s : notifier.shown)
            t << s.text;
        return t;
    }

    QString root;
    MBLanguages texts;
    FakeNotifier notifier;
    std::vector<int> selected;
    std::vector<bool> busyChanges;
    CataloguePack pack;
};

TEST_F(Pack, ExamplePackByteForByte)
{
    examplePack();
    EXPECT_EQ(pack.PackFolder, root + "/packs/PACK/");
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    EXPECT_EQ(fileBytes(root + "/packs/PACK/PACK.M30"), golden("pack_example.golden", root));
    EXPECT_EQ(fileBytes(root + "/packs/PACK/APP1.SGN"), QByteArray("app one"));
    EXPECT_EQ(fileBytes(root + "/packs/PACK/LIB.SGN"), QByteArray("library"));
    EXPECT_EQ(shownTexts(), QStringList{"Pack written: " + root + "/packs/PACK/PACK.M30"});
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));

    // A second save rebuilds the same pack.
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    EXPECT_EQ(fileBytes(root + "/packs/PACK/PACK.M30"), golden("pack_example.golden", root));
}

TEST_F(Pack, NestedListExpandsInPlaceAndTheOuterGoesOn)
{
    putFile(root + "/cat/OUTER.M30", "; outer\r\n\r\n   \r\nsub\\INNER.M1X\r\nAFTER.SGN\r\nX.M00\r\n");
    putFile(root + "/cat/sub/INNER.M1X", "; inner\r\nIN.SGN\r\n");
    putFile(root + "/cat/sub/IN.SGN", "in");
    putFile(root + "/cat/AFTER.SGN", "after");
    putFile(root + "/cat/X.M00", "not a list");
    pack.entries = {root + "/cat/OUTER.M30"};
    pack.choosePath(root + "/packs/NEST", "*.*");
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    EXPECT_EQ(fileBytes(root + "/packs/NEST/NEST.Mxx"), golden("pack_nested.golden", root));
    EXPECT_EQ(fileBytes(root + "/packs/NEST/X.M00"), QByteArray("not a list"));
}

TEST_F(Pack, EmptyListGivesTheTwoHeaderLines)
{
    pack.choosePath(root + "/packs/EMPTY.M40", "*.M40");
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    EXPECT_EQ(fileBytes(root + "/packs/EMPTY/EMPTY.M40"),
              QByteArray("; Pack: EMPTY.M40\r\n; Made: 02-03-2026 14:05:09"));
}

TEST_F(Pack, NoNameNoEffect)
{
    pack.entries = {root + "/x"};
    EXPECT_EQ(pack.SavePack(), Outcome::NoName);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Pack, DuplicatesReportedOnceInFirstOrderAndTheUserDecides)
{
    examplePack();
    pack.entries = {"b", "a", "b", "a", "b", "c"};
    EXPECT_EQ(pack.FindDuplicates(), QStringLiteral("Listed twice:\r\n   b\r\n   a"));
    pack.entries = {"a", "c"};
    EXPECT_EQ(pack.FindDuplicates(), QString());

    examplePack();
    pack.entries << root + "/lib/LIB.SGN";
    notifier.answers = {MessageAnswer::No};
    EXPECT_EQ(pack.SavePack(), Outcome::Cancelled);
    EXPECT_EQ(shownTexts(), QStringList{"Listed twice:\r\n   " + root + "/lib/LIB.SGN\r\n\r\nGo on?"});
    EXPECT_FALSE(QFileInfo::exists(root + "/packs/PACK"));

    notifier.shown.clear();
    EXPECT_EQ(pack.SavePack(), Outcome::Written); // the default answer goes on
    EXPECT_TRUE(fileBytes(root + "/packs/PACK/PACK.M30")
                    .endsWith("LIB.SGN\r\n; File: " + QFile::encodeName(root) + "/lib/LIB.SGN\r\nLIB.SGN"));
}

// Two different files with one bare name would leave only one of them in the pack folder: the save refuses
// before it copies or writes anything, naming each source. The same file reached twice is no conflict.
TEST_F(Pack, DifferentFilesWithTheSameNameAreRefusedBeforeAnythingIsWritten)
{
    putFile(root + "/a/APP.SGN", "first");
    putFile(root + "/b/APP.SGN", "second");
    putFile(root + "/b/app.sgn", "second, small letters");
    putFile(root + "/b/OTHER.SGN", "other");
    putFile(root + "/a/LA.M30", "; a\r\nAPP.SGN\r\n");
    putFile(root + "/b/LB.M30", "; b\r\nAPP.SGN\r\nOTHER.SGN\r\n");
    putFile(root + "/b/NESTED.M30", "; nested\r\n../a/LA.M30\r\nOTHER.SGN\r\n");
    putFile(root + "/b/TWICE.M30", "; the same file twice\r\nAPP.SGN\r\n./APP.SGN\r\n../b/APP.SGN\r\n");
    ASSERT_TRUE(QFile::link(root + "/b/APP.SGN", root + "/a/LINK.SGN"));
    const QString sameName = "The pack cannot be written.\r\nSame name in the pack:";
    const struct {
        const char* name;
        QStringList entries;
        QString refusal; // empty: the pack is written
    } rows[] = {
        {"two lists naming a/APP.SGN and b/APP.SGN",
         {root + "/a/LA.M30", root + "/b/LB.M30"},
         sameName + "\r\n   " + root + "/a/APP.SGN\r\n   " + root + "/b/APP.SGN"},
        {"a single file and a list",
         {root + "/b/APP.SGN", root + "/a/LA.M30"},
         sameName + "\r\n   " + root + "/b/APP.SGN\r\n   " + root + "/a/APP.SGN"},
        {"through a nested list (named as the list names it)",
         {root + "/b/LB.M30", root + "/b/NESTED.M30"},
         sameName + "\r\n   " + root + "/b/APP.SGN\r\n   " + root + "/b/../a/APP.SGN"},
        {"names that differ only in letter case",
         {root + "/b/APP.SGN", root + "/b/app.sgn"},
         sameName + "\r\n   " + root + "/b/APP.SGN\r\n   " + root + "/b/app.sgn"},
        {"the same file under three spellings", {root + "/b/TWICE.M30"}, QString()},
        {"the same file through a link of another name", {root + "/b/APP.SGN", root + "/a/LINK.SGN"}, QString()},
        {"the same file listed twice", {root + "/b/APP.SGN", root + "/b/OTHER.SGN", root + "/b/APP.SGN"}, QString()},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QDir(root + "/packs/SAME").removeRecursively();
        notifier.shown.clear();
        pack.entries = r.entries;
        pack.choosePath(root + "/packs/SAME.M30", "*.M30");
        const Outcome outcome = pack.SavePack();
        if (r.refusal.isEmpty()) {
            EXPECT_EQ(outcome, Outcome::Written);
            EXPECT_TRUE(QFileInfo::exists(root + "/packs/SAME/SAME.M30"));
            EXPECT_TRUE(shownTexts().last().startsWith("Pack written: "));
            continue;
        }
        EXPECT_EQ(outcome, Outcome::Failed);
        EXPECT_EQ(shownTexts().join("|").toStdString(), r.refusal.toStdString());
        EXPECT_FALSE(QFileInfo::exists(root + "/packs/SAME")) << "nothing copied, no folder made";
        EXPECT_TRUE(busyChanges.empty() || !busyChanges.back());
    }
}

// A bare name the catalogue's code page cannot write would be listed with '?': a file the pack folder does
// not hold, and two such names would read alike. The save refuses before it copies or writes anything,
// naming each one; the full paths of the description lines may hold anything.
TEST_F(Pack, NamesTheCatalogueCannotWriteAreRefusedBeforeAnythingIsWritten)
{
    const QString zhe = QString::fromUtf8("\u0416.SGN");            // Cyrillic capital Zhe
    const QString ya = QString::fromUtf8("\u042F.SGN");             // Cyrillic capital Ya: both would be "?.SGN"
    const QString decomposed = QString::fromUtf8("CAFE\u0301.SGN"); // e and a combining acute
    const QString kelvin = QString::fromUtf8("\u212A.SGN");         // the Kelvin sign, which a list's "K" names
    const QString folderOutside = QString::fromUtf8("/\u0434\u0438\u0441\u043A"); // a folder named in Cyrillic
    for (const QString& name : {zhe, ya, decomposed, kelvin})
        putFile(root + "/src/" + name, "lossy");
    putFile(root + folderOutside + "/SOUND.SGN", "sound");
    putFile(root + "/src/OK.SGN", "ok");
    putFile(root + "/src/LK.M30", "; a list naming K.SGN, found as the Kelvin sign\r\nK.SGN\r\n");
    const QString refused = "The pack cannot be written.\r\nNo exact name in a catalogue:";
    const struct {
        const char* name;
        QStringList entries;
        QString packPath;
        QString refusal; // empty: the pack is written
    } rows[] = {
        {"two names that differ only outside the code page",
         {root + "/src/" + zhe, root + "/src/OK.SGN", root + "/src/" + ya},
         root + "/packs/P.M30",
         refused + "\r\n   " + root + "/src/" + zhe + "\r\n   " + root + "/src/" + ya},
        {"a decomposed accent",
         {root + "/src/" + decomposed},
         root + "/packs/P.M30",
         refused + "\r\n   " + root + "/src/" + decomposed},
        {"a list's name resolved to another character",
         {root + "/src/LK.M30"},
         root + "/packs/P.M30",
         refused + "\r\n   " + root + "/src/" + kelvin},
        {"the pack name",
         {root + "/src/OK.SGN"},
         root + "/packs/P" + ya.left(1) + ".M30",
         refused + "\r\n   " + root + "/packs/P" + ya.left(1) + "/P" + ya.left(1) + ".M30"},
        {"a sound name in a folder outside the code page",
         {root + folderOutside + "/SOUND.SGN"},
         root + "/packs/P.M30",
         QString()},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QDir(root + "/packs").removeRecursively();
        QDir().mkpath(root + "/packs");
        notifier.shown.clear();
        pack.entries = r.entries;
        pack.choosePath(r.packPath, "*.M30");
        const Outcome outcome = pack.SavePack();
        if (r.refusal.isEmpty()) {
            EXPECT_EQ(outcome, Outcome::Written);
            // The description line keeps its '?'; the bare name is exact.
            EXPECT_TRUE(
                fileBytes(root + "/packs/P/P.M30").endsWith("/" + QByteArray(4, '?') + "/SOUND.SGN\r\nSOUND.SGN"));
            continue;
        }
        EXPECT_EQ(outcome, Outcome::Failed);
        EXPECT_EQ(shownTexts().join("|").toStdString(), r.refusal.toStdString());
        EXPECT_TRUE(QDir(root + "/packs").isEmpty()) << "nothing copied, no folder made";
    }
}

TEST_F(Pack, ListNamingItselfOrACycleIsReportedNotFollowed)
{
    putFile(root + "/cat/SELF.M30", "; self\r\nSELF.M30\r\n");
    putFile(root + "/cat/A.M30", "; a\r\nB.M30\r\n");
    putFile(root + "/cat/B.M30", "; b\r\n../cat/./A.M30\r\n");
    const struct {
        QString entry;
        QString reported;
    } cases[] = {
        {root + "/cat/SELF.M30", root + "/cat/SELF.M30"},
        {root + "/cat/A.M30", root + "/cat/../cat/./A.M30"},
    };
    for (const auto& c : cases) {
        notifier.shown.clear();
        pack.entries = {c.entry};
        pack.choosePath(root + "/packs/CYCLE.M30", "*.M30");
        notifier.answers = {MessageAnswer::Ok, MessageAnswer::No};
        EXPECT_EQ(pack.SavePack(), Outcome::Cancelled);
        ASSERT_EQ(notifier.shown.size(), 2u);
        EXPECT_EQ(notifier.shown[0].text, "Names itself: " + c.reported);
        EXPECT_EQ(notifier.shown[1].text, QStringLiteral("The pack is incomplete.\r\n\r\nGo on?"));
        EXPECT_EQ(selected.back(), 0);
        EXPECT_FALSE(QFileInfo::exists(root + "/packs/CYCLE/CYCLE.M30"));
    }
}

TEST_F(Pack, SourceReachedThroughAnotherSpellingOfTheTargetSurvives)
{
    examplePack();
    QDir().mkpath(root + "/packs/PACK");
    putFile(root + "/packs/PACK/OWN.SGN", "own file");
    ASSERT_TRUE(QFile::link(root + "/packs/PACK", root + "/alias"));
    const QStringList spellings = {root + "/alias/OWN.SGN", root + "/packs/../packs/PACK/OWN.SGN",
                                   root + "/packs/PACK/OWN.SGN"};
    for (const QString& spelling : spellings) {
        pack.entries = {spelling};
        EXPECT_EQ(pack.SavePack(), Outcome::Written) << spelling.toStdString();
        EXPECT_EQ(fileBytes(root + "/packs/PACK/OWN.SGN"), QByteArray("own file"));
        EXPECT_TRUE(fileBytes(root + "/packs/PACK/PACK.M30").endsWith("/OWN.SGN\r\nOWN.SGN"));
    }
    // A different file of the same bare name is replaced, read-only or not.
    putFile(root + "/lib/OWN.SGN", "newer");
    setOwnerWritable(root + "/packs/PACK/OWN.SGN", false);
    pack.entries = {root + "/lib/OWN.SGN"};
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    EXPECT_EQ(fileBytes(root + "/packs/PACK/OWN.SGN"), QByteArray("newer"));
}

TEST_F(Pack, PackCatalogueNeverReplacesOneOfItsSources)
{
    examplePack();
    putFile(root + "/packs/PACK/PACK.M30", "; an older pack\r\nAPP1.SGN\r\n");
    putFile(root + "/packs/PACK/APP1.SGN", "app one");
    pack.entries = {root + "/packs/../packs/PACK/PACK.M30"};
    EXPECT_EQ(pack.SavePack(), Outcome::Failed);
    EXPECT_EQ(fileBytes(root + "/packs/PACK/PACK.M30"), QByteArray("; an older pack\r\nAPP1.SGN\r\n"));
    EXPECT_EQ(shownTexts().last(),
              "The pack cannot be written.\r\n" + root + "/packs/PACK/PACK.M30 : is one of the files of the pack");
}

TEST_F(Pack, MissingFilesAndDirectoryLinesAskWhetherToGoOn)
{
    putFile(root + "/cat/A.M30", "; a\r\n-eSWAP\r\nAPP1.SGN\r\n");
    putFile(root + "/cat/APP1.SGN", "app one");
    putFile(root + "/lib/LIB.SGN", "library");
    pack.entries = {root + "/cat/A.M30", root + "/lib/GONE.SGN", root + "/lib/LIB.SGN"};
    pack.choosePath(root + "/packs/PACK.M30", "*.M30");
    notifier.answers = {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes};
    EXPECT_EQ(pack.SavePack(), Outcome::Written);
    const QStringList shown = shownTexts();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0], "File not found " + root + "/cat/-eSWAP");
    EXPECT_EQ(shown[2], "File not found " + root + "/lib/GONE.SGN");
    EXPECT_EQ(selected, (std::vector<int>{0, 1}));
    // The failed list keeps what it gave before the failure; its later lines are left out.
    const QByteArray expected =
        "; Pack: PACK.M30\r\n; Made: 02-03-2026 14:05:09\r\n; Catalogue: " + QFile::encodeName(root) +
        "/cat/A.M30\r\n; a\r\n; File: " + QFile::encodeName(root) + "/lib/LIB.SGN\r\nLIB.SGN";
    EXPECT_EQ(fileBytes(root + "/packs/PACK/PACK.M30"), expected);
    EXPECT_FALSE(QFileInfo::exists(root + "/packs/PACK/APP1.SGN"));
}

TEST_F(Pack, CopyFailureNamesTheSourceAndCopiedFilesStay)
{
    examplePack();
    FailingFileWriter failing(FailingFileWriter::FailAt::Never);
    CataloguePack::Services s = services();
    s.writer = &failing;
    CataloguePack failingPack(s);
    failingPack.entries = pack.entries;
    failingPack.choosePath(pack.PackPath, "*.M30");
    // APP1.SGN is copied; LIB.SGN's copy fails half-way and the user stops.
    failing.setFailure(FailingFileWriter::FailAt::Never);
    failingPack.entries = {root + "/cat/APP1.SGN"};
    EXPECT_EQ(failingPack.SavePack(), Outcome::Written);
    failing.setFailure(FailingFileWriter::FailAt::Write, 3);
    notifier.shown.clear();
    notifier.answers = {MessageAnswer::Ok, MessageAnswer::No};
    failingPack.entries = {root + "/lib/LIB.SGN"};
    EXPECT_EQ(failingPack.SavePack(), Outcome::Cancelled);
    EXPECT_TRUE(shownTexts()[0].startsWith("Cannot copy " + root + "/lib/LIB.SGN to " + root + "/packs/PACK/\r\n"));
    EXPECT_FALSE(QFileInfo::exists(root + "/packs/PACK/LIB.SGN"));
    EXPECT_EQ(fileBytes(root + "/packs/PACK/APP1.SGN"), QByteArray("app one"));
    EXPECT_EQ(busyChanges.back(), false);
}

TEST_F(Pack, FolderOrPackCatalogueThatCannotBeWritten)
{
    examplePack();
    pack.choosePath(root + "/no/parent/PACK.M30", "*.M30");
    EXPECT_EQ(pack.SavePack(), Outcome::Failed);
    EXPECT_TRUE(shownTexts().last().startsWith("The pack cannot be written.\r\n" + root + "/no/parent/PACK/"));
    EXPECT_FALSE(QFileInfo::exists(root + "/no"));

    FailingFileWriter failing(FailingFileWriter::FailAt::Never);
    CataloguePack::Services s = services();
    s.writer = &failing;
    CataloguePack other(s);
    other.choosePath(root + "/packs/PACK.M30", "*.M30");
    putFile(root + "/packs/PACK/PACK.M30", "old pack");
    failing.setFailure(FailingFileWriter::FailAt::Commit);
    EXPECT_EQ(other.SavePack(), Outcome::Failed);
    EXPECT_EQ(fileBytes(root + "/packs/PACK/PACK.M30"), QByteArray("old pack"));
    EXPECT_TRUE(shownTexts().last().startsWith("The pack cannot be written.\r\n" + root + "/packs/PACK/PACK.M30 : "));
}

} // namespace

#include "Paths.h"
#include "workspace/ui/FrmCataloguePack.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// The pack editor as the Catalogue menu opens it, with the file choosers answered by the test.
class PackWindow : public Pack {
protected:
    PackWindow() : rig(root)
    {
        rig.filter = "*.M30";
        rig.authoring->choosePackFiles = [this](const QString& filters) {
            lastFilters = filters;
            return filesToAdd;
        };
        rig.authoring->choosePackName = [this](const QString& start, const QString&) {
            nameStarts << start;
            return nameToChoose;
        };
    }

    FrmCataloguePack& window() { return rig.authoring->packWindow(); }
    QListWidget* list() { return window().findChild<QListWidget*>("List"); }
    QPushButton* button(const char* name) { return window().findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void clickEntry(int row)
    {
        list()->scrollToItem(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(row)).center());
    }
    QStringList rows()
    {
        QStringList r;
        for (int i = 0; i < list()->count(); ++i)
            r << list()->item(i)->text();
        return r;
    }
    std::vector<bool> itemButtons()
    {
        return {button("BtnRemove")->isEnabled(), button("BtnUp")->isEnabled(), button("BtnDown")->isEnabled(),
                button("BtnReset")->isEnabled()};
    }

    AuthoringRig rig;
    QStringList filesToAdd;
    QString lastFilters;
    QString nameToChoose;
    QStringList nameStarts;
};

TEST_F(PackWindow, ExamplePackFromTheMenuThenSavedAndPictured)
{
    examplePack();
    rig.selection = {root + "/cat/A.M30"};
    rig.authoring->MNU_CatalogPack_Create_Click();
    QAbstractItemModelTester tester(list()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Catalogue pack editor"));
    rig.authoring->MNU_CatalogPack_Add_Click();
    filesToAdd = {root + "/lib/LIB.SGN"};
    click("BtnAdd");
    EXPECT_EQ(lastFilters, QStringLiteral("All files|*.*|Catalogues|*.M??|Signed components|*.?GN"));
    EXPECT_EQ(rows(), (QStringList{root + "/cat/A.M30", root + "/lib/LIB.SGN"}));

    // Save without a name asks for one first; without an extension the filter's product gives it.
    nameToChoose = root + "/packs/PACK";
    click("BtnSave");
    EXPECT_EQ(nameStarts, QStringList{QString()});
    EXPECT_EQ(window().findChild<QLineEdit*>("TxtFilename")->text(), QStringLiteral("PACK.M30"));
    EXPECT_EQ(window().findChild<QLineEdit*>("TxtPath")->text(), root + "/packs/PACK/");
    const QByteArray saved = fileBytes(root + "/packs/PACK/PACK.M30");
    EXPECT_TRUE(saved.startsWith("; Catalogue pack: PACK.M30\r\n; Created on 02-03-2026 14:05:09\r\n; Catalogue "))
        << saved.constData();
    EXPECT_TRUE(saved.endsWith("/lib/LIB.SGN\r\nLIB.SGN"));
    ASSERT_EQ(rig.notifier.shown.size(), 1u);
    EXPECT_EQ(rig.notifier.shown[0].text, "Catalogue pack created: " + root + "/packs/PACK/PACK.M30");

    clickEntry(0);
    const QString shot = binDir() + "/../screenshots/catalogue_pack.png";
    QDir().mkpath(QFileInfo(shot).absolutePath());
    ASSERT_TRUE(window().grab().save(shot));
}

TEST_F(PackWindow, ButtonsFollowTheListAndMovesStopAtTheEnds)
{
    for (const char* name : {"a", "b", "c"})
        putFile(root + "/f/" + name, name);
    rig.authoring->MNU_CatalogPack_Create_Click();
    EXPECT_EQ(itemButtons(), (std::vector<bool>{false, false, false, false}));
    EXPECT_FALSE(window().AddToList(root + "/f/missing"));
    for (const char* name : {"a", "b", "c"})
        EXPECT_TRUE(window().AddToList(root + "/f/" + name));
    EXPECT_TRUE(window().AddToList(root + "/f/a")); // twice: reported at save time
    EXPECT_EQ(itemButtons(), (std::vector<bool>{false, false, false, true}));

    clickEntry(3);
    EXPECT_EQ(itemButtons(), (std::vector<bool>{true, true, true, true}));
    click("BtnDown"); // the last one stays
    click("BtnUp");
    click("BtnUp");
    EXPECT_EQ(rows(), (QStringList{root + "/f/a", root + "/f/a", root + "/f/b", root + "/f/c"}));
    EXPECT_EQ(list()->currentRow(), 1);
    click("BtnUp");
    click("BtnUp"); // the first one stays
    EXPECT_EQ(list()->currentRow(), 0);

    // Remove on the first entry leaves no selection: Up and Down then do nothing.
    click("BtnRemove");
    EXPECT_EQ(rows(), (QStringList{root + "/f/a", root + "/f/b", root + "/f/c"}));
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    click("BtnDown");
    EXPECT_EQ(rows(), (QStringList{root + "/f/a", root + "/f/b", root + "/f/c"}));

    clickEntry(1);
    click("BtnRemove");
    EXPECT_EQ(list()->currentRow(), 0);
    click("BtnReset");
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(itemButtons(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(rig.authoring->packListEmpty());
}

TEST_F(PackWindow, ClosingKeepsTheListAndNameForTheNextOpening)
{
    examplePack();
    rig.authoring->MNU_CatalogPack_Create_Click();
    rig.selection = {root + "/cat/A.M30", root + "/lib/LIB.SGN"};
    rig.authoring->MNU_CatalogPack_Add_Click();
    nameToChoose = root + "/packs/KEEP.M40";
    QTest::mouseDClick(window().findChild<QLineEdit*>("TxtPath"), Qt::LeftButton);
    EXPECT_EQ(window().findChild<QLineEdit*>("TxtFilename")->text(), QStringLiteral("KEEP.M40"));
    click("BtnClose");
    EXPECT_FALSE(window().isVisible());
    rig.authoring->MNU_CatalogPack_Create_Click();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(rows(), (QStringList{root + "/cat/A.M30", root + "/lib/LIB.SGN"}));
    EXPECT_EQ(window().findChild<QLineEdit*>("TxtFilename")->text(), QStringLiteral("KEEP.M40"));
    // A cancelled chooser changes nothing.
    nameToChoose.clear();
    click("BtnFilename");
    EXPECT_EQ(window().pack().PackName, QStringLiteral("KEEP.M40"));
    EXPECT_EQ(nameStarts.last(), root + "/packs/KEEP.M40");
    rig.authoring->MNU_CatalogPack_Reset_Click();
    EXPECT_TRUE(rows().isEmpty());
}

} // namespace
