// Catalogue families: the family file byte for byte (new, then appended), the files copied beside it, and what
// stops the command or a catalogue.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "platform/FileWriter.h"
#include "terminal_files/CatalogList.h"
#include "workspace/CatalogueFamily.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace jvz;
using namespace jvztest;

namespace {

using Kind = FamilyProblem::Kind;

// Two catalogue lists A and B in cur/, their files, and an empty family folder fam/.
class Family : public ::testing::Test {
protected:
    Family() : root(authoringScratch("family")), cur(root + "/cur"), fam(root + "/fam")
    {
        putFile(cur + "/A.M40", "; catalogue A\r\nAPP1.SGN\r\n\r\n-eSWAP\r\nsub\\LIB.SGN\r\n");
        putFile(cur + "/B.M40", "; catalogue B\r\n-eHOST\r\nAPP2.SGN");
        putFile(cur + "/APP1.SGN", "app one");
        putFile(cur + "/sub/LIB.SGN", "library");
        putFile(cur + "/APP2.SGN", "app two");
        QDir().mkpath(fam);
    }

    FamilyRequest request() const { return {fam, "FAM", ".M40", "new family", {cur + "/A.M40", cur + "/B.M40"}}; }

    static std::vector<Kind> kinds(const FamilyResult& r)
    {
        std::vector<Kind> k;
        for (const FamilyProblem& p : r.problems)
            k.push_back(p.kind);
        return k;
    }

    QString root;
    QString cur;
    QString fam;
    AtomicFileWriter& writer = AtomicFileWriter::standard();
};

TEST_F(Family, NewFamilyThenAppendedOnceMoreWithoutSecondHeader)
{
    FamilyResult first = buildFamily(request(), writer);
    EXPECT_TRUE(first.problems.empty());
    EXPECT_TRUE(first.familyWritten);
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), golden("family_new.golden", root));
    for (const char* name : {"APP1.SGN", "LIB.SGN", "APP2.SGN"})
        EXPECT_EQ(fileBytes(fam + "/" + name),
                  fileBytes(QDir(cur).filePath(name == QLatin1String("LIB.SGN") ? "sub/LIB.SGN" : name)))
            << name;

    FamilyResult second = buildFamily(request(), writer);
    EXPECT_TRUE(second.problems.empty());
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), golden("family_appended.golden", root));
}

TEST_F(Family, AppendedLinesStartOnANewLineAfterALastLineWithoutEnd)
{
    putFile(fam + "/FAM.M40", "; old family");
    FamilyRequest r = request();
    r.catalogues = {cur + "/B.M40"};
    buildFamily(r, writer);
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), QByteArray("; old family\r\n; catalogue B\r\n-eHOST\r\nAPP2.SGN\r\n"));
}

TEST_F(Family, MissingFileEndsItsCatalogueAfterItsNameAndTheNextCatalogueGoesOn)
{
    // An upper-case -E line is a file line, so it names a missing file too.
    putFile(cur + "/A.M40", "; A\r\nAPP1.SGN\r\n-EODD.SGN\r\nAPP2.SGN\r\n");
    FamilyResult r = buildFamily(request(), writer);
    ASSERT_EQ(kinds(r), std::vector<Kind>{Kind::MissingFile});
    EXPECT_EQ(r.problems[0].path, QStringLiteral("-EODD.SGN"));
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"),
              QByteArray("; new family\r\n; A\r\nAPP1.SGN\r\n-EODD.SGN\r\n; catalogue B\r\n-eHOST\r\nAPP2.SGN\r\n"));
    const MBLanguages texts = authoringTexts("frmMainJVZ");
    EXPECT_EQ(describeFamilyProblem(r.problems[0], texts), QStringLiteral("Missing file: -EODD.SGN"));
}

TEST_F(Family, FamilyInTheCurrentFolderCopiesNothingOntoItself)
{
    FamilyRequest r = request();
    r.folder = cur;
    const QByteArray app1 = fileBytes(cur + "/APP1.SGN");
    FamilyResult result = buildFamily(r, writer);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.copied, QStringList{cur + "/LIB.SGN"}); // only the file of the sub-folder
    EXPECT_EQ(fileBytes(cur + "/APP1.SGN"), app1);
}

TEST_F(Family, NeverAppendsToOneOfItsOwnCataloguesUnderAnySpelling)
{
    ASSERT_TRUE(QFile::link(cur, root + "/alias"));
    const QByteArray a = fileBytes(cur + "/A.M40");
    const struct {
        QString folder;
    } cases[] = {{cur}, {root + "/alias"}, {root + "/fam/../cur"}};
    for (const auto& c : cases) {
        FamilyRequest r = request();
        r.folder = c.folder;
        r.name = "A";
        EXPECT_TRUE(familyIsOneOfItsCatalogues(r)) << c.folder.toStdString();
        FamilyResult result = buildFamily(r, writer);
        EXPECT_EQ(kinds(result), std::vector<Kind>{Kind::FamilyIsSource});
        EXPECT_EQ(fileBytes(cur + "/A.M40"), a);
    }
}

TEST_F(Family, ReadOnlyTargetIsMadeWritableAndReplacedButAReadOnlyFamilyIsRefused)
{
    putFile(fam + "/APP1.SGN", "stale");
    setOwnerWritable(fam + "/APP1.SGN", false);
    FamilyResult r = buildFamily(request(), writer);
    EXPECT_TRUE(r.problems.empty());
    EXPECT_EQ(fileBytes(fam + "/APP1.SGN"), QByteArray("app one"));
    EXPECT_TRUE(QFileInfo(fam + "/APP1.SGN").permissions() & QFileDevice::WriteOwner);

    const QByteArray before = fileBytes(fam + "/FAM.M40");
    setOwnerWritable(fam + "/FAM.M40", false);
    r = buildFamily(request(), writer);
    EXPECT_EQ(kinds(r), std::vector<Kind>{Kind::ReadOnlyFamily});
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), before);
}

TEST_F(Family, FailedWritesLeaveEachFileAsItWasAndNameIt)
{
    putFile(fam + "/FAM.M40", "; old\r\n");
    const struct {
        FailingFileWriter::FailAt at;
        qsizetype afterBytes;
        Kind kind;
        const char* path;
        QStringList copied;
    } cases[] = {
        // The first copy fails half-way: no partial file, the family file untouched, the command ends.
        {FailingFileWriter::FailAt::Write, 3, Kind::CopyFailed, "/APP1.SGN", {}},
        // The first copy is written whole but its rename fails.
        {FailingFileWriter::FailAt::Commit, 0, Kind::CopyFailed, "/APP1.SGN", {}},
    };
    for (const auto& c : cases) {
        FailingFileWriter failing(c.at, c.afterBytes);
        FamilyResult r = buildFamily(request(), failing);
        ASSERT_EQ(kinds(r), std::vector<Kind>{c.kind});
        EXPECT_EQ(r.problems[0].path, fam + c.path);
        EXPECT_FALSE(r.problems[0].detail.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(fam + "/APP1.SGN"));
        EXPECT_EQ(fileBytes(fam + "/FAM.M40"), QByteArray("; old\r\n"));
        EXPECT_EQ(QDir(fam).entryList(QDir::Files | QDir::Hidden), QStringList{"FAM.M40"});
    }
}

// Copies go through a writer that works; only the family file's own write fails.
class FamilyFileFails final : public FileWriter {
public:
    std::unique_ptr<FileReplacement> begin(const QString& path, FileWriteError* error) override
    {
        if (path.endsWith(".M40")) {
            if (error)
                *error = {28, "injected: no space"};
            return nullptr;
        }
        return AtomicFileWriter::standard().begin(path, error);
    }
};

TEST_F(Family, FamilyFileFailureKeepsTheCopiesAndTheOldFamily)
{
    putFile(fam + "/FAM.M40", "; old\r\n");
    FamilyFileFails failing;
    FamilyResult r = buildFamily(request(), failing);
    ASSERT_EQ(kinds(r), std::vector<Kind>{Kind::FamilyWriteFailed});
    EXPECT_EQ(r.problems[0].path, fam + "/FAM.M40");
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), QByteArray("; old\r\n"));
    EXPECT_EQ(r.copied.size(), 3);
    EXPECT_EQ(fileBytes(fam + "/APP2.SGN"), QByteArray("app two"));
    const MBLanguages texts = authoringTexts("frmMainJVZ");
    EXPECT_EQ(describeFamilyProblem(r.problems[0], texts), fam + "/FAM.M40 : cannot be written\r\ninjected: no space");
}

TEST_F(Family, MissingFolderOrUnreadableCatalogue)
{
    FamilyRequest r = request();
    r.folder = root + "/nowhere";
    EXPECT_EQ(kinds(buildFamily(r, writer)), std::vector<Kind>{Kind::FolderMissing});
    EXPECT_FALSE(QFileInfo::exists(root + "/nowhere"));

    r = request();
    r.catalogues.prepend(cur + "/GONE.M40");
    FamilyResult result = buildFamily(r, writer);
    EXPECT_EQ(kinds(result), std::vector<Kind>{Kind::UnreadableCatalogue});
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), golden("family_new.golden", root));
}

TEST(FamilyLineRules, EmptyLinesSkippedDirectoryAndCommentLinesKept)
{
    const CatalogLineRules rules{CatalogLineRules::EmptyLines::Skip, CatalogLineRules::DirectoryLines::Recognised};
    const std::pair<const char*, std::optional<CatalogLineKind>> cases[] = {
        {"", std::nullopt},
        {" ", CatalogLineKind::File},
        {"-eSWAP", CatalogLineKind::Directory},
        {"-ESWAP", CatalogLineKind::File},
        {";x", CatalogLineKind::Comment},
        {"A.SGN", CatalogLineKind::File},
    };
    for (const auto& [line, kind] : cases)
        EXPECT_EQ(classifyCatalogLine(QString::fromLatin1(line), rules), kind) << line;
    // The transfers' rules are the defaults: an empty line ends the list.
    EXPECT_EQ(classifyCatalogLine(QString(), CatalogLineRules{}), CatalogLineKind::End);
}

} // namespace

#include "FakeNotifier.h"
#include "Paths.h"
#include "core/AppSettings.h"
#include "workspace/ui/CatalogueAuthoring.h"
#include "workspace/ui/frmCreateFamily.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// The family command from the menu, with its dialog driven by object names.
class FamilyCommand : public Family {
protected:
    FamilyCommand() : language(shippedTexts())
    {
        settings.gProgramFolder = root;
        settings.gCatalogFamilyDir = root + "/nowhere";
        settings.gCatalogFamilyName = "OLD";
        CatalogueAuthoring::Context c;
        c.settings = &settings;
        c.language = &language;
        c.notifier = &notifier;
        c.writer = &writer;
        c.selection = [this] { return selection; };
        c.currentFolder = [this] { return cur + "/"; };
        c.filterText = [] { return QStringLiteral("*.M40"); };
        c.filterItems = [] { return QStringList{"*.M40", "*.M30", "*.*"}; };
        c.refreshLocalList = [this] { ++refreshes; };
        authoring = std::make_unique<CatalogueAuthoring>(c);
        authoring->chooseFolder = [this](const QString& start) {
            chooserStarts << start;
            return fam;
        };
    }

    AppSettings settings;
    MBLanguages language;
    FakeNotifier notifier;
    QStringList selection;
    QStringList chooserStarts;
    int refreshes = 0;
    std::unique_ptr<CatalogueAuthoring> authoring;
};

TEST_F(FamilyCommand, DialogFilledFromTheSelectionAndOkBuildsTheFamily)
{
    // A signed file in the selection is no catalogue list and is left out.
    selection = {cur + "/A.M40", cur + "/APP1.SGN", cur + "/B.M40"};
    authoring->runModal = [&](QDialog& d) {
        auto* dialog = qobject_cast<frmCreateFamily*>(&d);
        EXPECT_TRUE(dialog);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("New catalogue family"));
        EXPECT_EQ(d.findChild<QLabel*>("Label6")->text(), QStringLiteral(".M40"));
        EXPECT_EQ(d.findChild<QLineEdit*>("Text1")->text(), QStringLiteral("OLD"));
        EXPECT_EQ(d.findChild<QLineEdit*>("Text2")->text(), QStringLiteral("new family"));
        auto* list1 = d.findChild<QListWidget*>("List1");
        EXPECT_EQ(list1->count(), 2);
        EXPECT_EQ(list1->item(1)->text(), QStringLiteral("B.M40"));
        // Every line, empty ones too.
        EXPECT_EQ(d.findChild<QListWidget*>("List2")->count(), 8);
        // The family folder of the settings is gone: the chooser starts in the current folder.
        QTest::mouseClick(d.findChild<QPushButton*>("CmdFindRep"), Qt::LeftButton);
        EXPECT_EQ(chooserStarts, QStringList{cur + "/"});
        EXPECT_EQ(d.findChild<QLineEdit*>("Text3")->text(), fam);
        d.findChild<QLineEdit*>("Text1")->setText("FAM");
        const QString shot = binDir() + "/../screenshots/catalogue_family.png";
        QDir().mkpath(QFileInfo(shot).absolutePath());
        EXPECT_TRUE(d.grab().save(shot));
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_OK"), Qt::LeftButton);
        EXPECT_FALSE(dialog->Cancelled);
        return d.result();
    };
    authoring->MNU_Catalog_family_Click();
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), golden("family_new.golden", root));
    EXPECT_EQ(settings.gCatalogFamilyDir, fam);
    EXPECT_EQ(settings.gCatalogFamilyName, QStringLiteral("FAM"));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FamilyCommand, EmptyNameOrTheNameOfASourceKeepsTheDialogOpen)
{
    selection = {cur + "/A.M40", cur + "/B.M40"};
    settings.gCatalogFamilyDir = cur;
    const QByteArray a = fileBytes(cur + "/A.M40");
    authoring->runModal = [&](QDialog& d) {
        auto* dialog = qobject_cast<frmCreateFamily*>(&d);
        auto* name = d.findChild<QLineEdit*>("Text1");
        for (const char* text : {"", "B", "A"}) {
            name->setText(QLatin1String(text));
            QTest::mouseClick(d.findChild<QPushButton*>("BTN_OK"), Qt::LeftButton);
            EXPECT_TRUE(dialog->Cancelled) << text;
            EXPECT_EQ(d.result(), 0) << text;
        }
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_Cancel"), Qt::LeftButton);
        return d.result();
    };
    authoring->MNU_Catalog_family_Click();
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[0].text, QStringLiteral("A family cannot take the name of one of its catalogues"));
    EXPECT_EQ(notifier.shown[0].title, QStringLiteral("New catalogue family"));
    EXPECT_EQ(fileBytes(cur + "/A.M40"), a);
    EXPECT_EQ(settings.gCatalogFamilyName, QStringLiteral("OLD"));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FamilyCommand, MissingFileIsReportedWithTheMainWindowsTitle)
{
    putFile(cur + "/A.M40", "; A\r\nGONE.SGN\r\nAPP1.SGN\r\n");
    selection = {cur + "/A.M40"};
    settings.gCatalogFamilyDir = fam;
    authoring->runModal = [&](QDialog& d) {
        d.findChild<QLineEdit*>("Text1")->setText("FAM");
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_OK"), Qt::LeftButton);
        return d.result();
    };
    authoring->MNU_Catalog_family_Click();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, QStringLiteral("File of the catalogue not found: GONE.SGN"));
    EXPECT_EQ(notifier.shown[0].title, QStringLiteral("Pendraxa"));
    EXPECT_EQ(fileBytes(fam + "/FAM.M40"), QByteArray("; new family\r\n; A\r\nGONE.SGN\r\n"));
}

} // namespace
