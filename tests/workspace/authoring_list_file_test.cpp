// "Software.org": one line per catalogue list, the catalogues taken, and the file byte for byte.
#include "AuthoringWorld.h"
#include "FailingFileWriter.h"
#include "MainWindowWorld.h"
#include "platform/FileWriter.h"
#include "workspace/CatalogListFile.h"

#include <QDir>
#include <QFileInfo>
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

#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

TEST(CatalogListCommand, SelectedOrAllCataloguesWithTheQuestionBeforeReplacing)
{
    const QString root = authoringScratch("software-command");
    putFile(root + "/XLOADER.M30", "; loader of the M30\r\n");
    putFile(root + "/-APP.M40", "APP.SGN\r\n");
    putFile(root + "/ZOTHER.M50", "; not a product of the table\r\n");
    AuthoringRig rig(root);
    rig.selection = {root + "/-APP.M40", root + "/ZOTHER.M50"};
    const struct {
        const char* option;
        std::deque<jvz::MessageAnswer> answers;
        QByteArray expected;
        QStringList shown;
    } cases[] = {
        {"Option1", {}, "APP;M40;\r\n", {"Software.org has been written"}},
        {"Option2", {jvz::MessageAnswer::No}, "APP;M40;\r\n", {"Software.org already exists. Replace it?"}},
        {"Option2",
         {jvz::MessageAnswer::Yes},
         "APP;M40;\r\nLOADER;M30; loader of the M30\r\n",
         {"Software.org already exists. Replace it?", "Software.org has been written"}},
    };
    for (const auto& c : cases) {
        rig.notifier.shown.clear();
        rig.notifier.answers = c.answers;
        rig.authoring->runModal = [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Create Catalog List"));
            d.findChild<QRadioButton*>(QLatin1String(c.option))->setChecked(true);
            QTest::mouseClick(d.findChild<QPushButton*>("BTN_ok"), Qt::LeftButton);
            return d.result();
        };
        rig.authoring->MNU_Catalog_list_Click();
        EXPECT_EQ(fileBytes(root + "/Software.org"), c.expected) << c.option;
        QStringList shown;
        for (const auto& s : rig.notifier.shown)
            shown << s.text;
        EXPECT_EQ(shown, c.shown) << c.option;
    }
}

TEST(CatalogListCommand, NothingToListIsAnErrorAndWritesNothing)
{
    const QString root = authoringScratch("software-nothing");
    putFile(root + "/A.M50", "; unknown product\r\n");
    AuthoringRig rig(root);
    rig.selection = {root + "/A.M50"};
    rig.authoring->runModal = [&](QDialog& d) {
        QTest::mouseClick(d.findChild<QPushButton*>("BTN_ok"), Qt::LeftButton);
        return d.result();
    };
    rig.authoring->MNU_Catalog_list_Click();
    ASSERT_EQ(rig.notifier.shown.size(), 1u);
    EXPECT_EQ(rig.notifier.shown[0].text, QStringLiteral("No catalogue to list"));
    EXPECT_EQ(rig.notifier.shown[0].title, QStringLiteral("Error"));
    EXPECT_EQ(rig.notifier.shown[0].icon, jvz::MessageIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(root + "/Software.org"));
}

} // namespace

#include "core/BatchRun.h"
#include "workspace/CommandState.h"
#include "workspace/ui/CatalogueAuthoring.h"
#include "workspace/ui/FrmCataloguePack.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QMenu>

namespace {

TEST(CatalogListCommandState, OfferedWheneverTheDescriptionIs)
{
    const struct {
        bool descriptionOn;
        bool wired;
        bool busy;
        bool enabled;
    } cases[] = {
        {true, true, false, true},
        {false, true, false, false},
        {true, false, false, false},
        {true, true, true, false},
    };
    for (const auto& c : cases) {
        CommandState state;
        EXPECT_EQ(commandName(Command::CatalogList), "MNU_Catalog_list");
        state.setSwitched(Command::CatalogDescription, c.descriptionOn);
        state.setWired(Command::CatalogList, c.wired);
        state.setBusy(c.busy);
        EXPECT_EQ(state.enabled(Command::CatalogList), c.enabled) << c.descriptionOn << c.wired << c.busy;
    }
}

// The Catalog menu of the real main window opens each window; the dialogs are answered at once.
TEST(CatalogueMenu, EachCommandOpensItsWindow)
{
    jvztest::MainWindowWorld world;
    frmMainJVZ& window = world.assemble();
    QStringList opened;
    window.catalogueAuthoring().runModal = [&](QDialog& d) {
        opened << d.objectName();
        return int(QDialog::Rejected);
    };
    auto* catalogMenu = window.findChild<QMenu*>("MNU_Catalog");
    auto* list = window.findChild<QAction*>("MNU_Catalog_list");
    ASSERT_TRUE(catalogMenu && list);
    EXPECT_TRUE(catalogMenu->actions().contains(list));
    EXPECT_FALSE(list->isEnabled());
    window.commands().switchCommand(Command::CatalogDescription, true);
    EXPECT_TRUE(list->isEnabled());

    const struct {
        Command command;
        const char* action;
        const char* shortcut;
        const char* window;
    } cases[] = {
        {Command::CatalogList, "MNU_Catalog_list", "", "FrmCreateCatalogList"},
        {Command::CatalogFamily, "MNU_Catalog_family", "F8", "frmCreateFamily"},
        {Command::CatalogCreate, "MNU_Catalog_create", "F7", "frmCreateCatalog"},
    };
    for (const auto& c : cases) {
        opened.clear();
        window.commands().switchCommand(c.command, true);
        auto* action = window.findChild<QAction*>(QLatin1String(c.action));
        ASSERT_TRUE(action) << c.action;
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(c.shortcut))) << c.action;
        action->trigger();
        EXPECT_EQ(opened, QStringList{QLatin1String(c.window)}) << c.action;
    }

    window.findChild<QAction*>("MNU_CatalogPack_Create")->trigger();
    EXPECT_TRUE(window.catalogueAuthoring().packWindow().isVisible());
    EXPECT_FALSE(window.findChild<QAction*>("MNU_CatalogPack_Reset")->isEnabled());
    const QString root = authoringScratch("menu");
    putFile(root + "/A.M40", "; a\r\n");
    window.catalogueAuthoring().packWindow().AddToList(root + "/A.M40");
    EXPECT_TRUE(window.findChild<QAction*>("MNU_CatalogPack_Reset")->isEnabled());
    window.findChild<QAction*>("MNU_CatalogPack_Reset")->trigger();
    EXPECT_TRUE(window.catalogueAuthoring().packListEmpty());
    EXPECT_FALSE(window.findChild<QAction*>("MNU_CatalogPack_Reset")->isEnabled());
}

} // namespace
