// What a selection in the local list means: marks, catalogue comment, clipboard text and the commands offered.
#include "FakeNotifier.h"
#include "LocalRowsFixture.h"
#include "workspace/LocalSelection.h"

#include <gtest/gtest.h>

using namespace jvz;
using jvztest::select;

namespace {

// Rows: 0 folder "pack", 1 catalogue A.M40 (comment), 2 catalogue B.M40 (no comment), 3 file "app.bin",
// 4 read-only file "locked.bin", 5 descriptor-like file "DESCRIPTOR.XML".
class Selection : public ::testing::Test {
protected:
    Selection() : dir("selection")
    {
        rows = {
            dir.folderRow("pack"),
            dir.fileRow("A.M40", "C:\\x\\a.bin\r\n;Terminal load A\r\n;second\r\n", "CatFile"),
            dir.fileRow("B.M40", "a.bin\r\n", "CatFile"),
            dir.fileRow("app.bin", "\x01\x02;binary", "Unknown"),
            dir.fileRow("locked.bin", "x", "Unknown"),
            dir.fileRow("DESCRIPTOR.XML", "<x/>", "Unknown"),
        };
        dir.makeReadOnly("locked.bin");
        inputs.currentTerminalDir = "\\SWAP\\";
        inputs.typeFilter = "*.M40";
    }

    LocalSelectionUpdate update() { return LocalSelection::UpdateLocalSelection(rows, inputs, &notifier); }

    QStringList images() const
    {
        QStringList out;
        for (const auto& r : rows)
            out << r.imageKey;
        return out;
    }

    jvztest::LocalRowsFolder dir;
    std::vector<SelectionRow> rows;
    LocalSelectionInputs inputs;
    jvztest::FakeNotifier notifier;
};

TEST_F(Selection, CommandsOfferedByEachKindOfSelection)
{
    struct Case {
        const char* name;
        std::initializer_list<int> selected;
        bool ftpOpen;
        const char* filter;
        bool delFile, copy, packAdd, catalog, catalogCreate, download;
        const char* comment;
    };
    const Case cases[] = {
        {"nothing", {}, false, "*.M40", false, false, true, false, false, false, ""},
        {"one catalogue", {1}, false, "*.M40", true, true, true, true, true, false, "Terminal load A"},
        {"one catalogue, session open", {1}, true, "*.M40", true, true, true, true, true, true, "Terminal load A"},
        {"catalogue without comment", {2}, false, "*.M40", true, true, true, true, true, false, ""},
        {"two catalogues", {1, 2}, false, "*.M40", true, true, true, true, true, false, ""},
        {"all-product filter", {1}, false, "*.*", true, true, true, true, false, false, "Terminal load A"},
        {"wildcard product filter", {1}, false, "*.M??", true, true, true, true, false, false, "Terminal load A"},
        {"folder first, then catalogue", {0, 1}, false, "*.M40", false, true, false, true, true, false, ""},
        {"folder alone", {0}, true, "*.M40", false, true, false, false, false, false, ""},
        {"other file, no session", {3}, false, "*.M40", true, true, true, false, false, false, ""},
        {"other file, session open", {3}, true, "*.M40", true, true, true, false, false, true, ""},
        {"descriptor, session open", {5}, true, "*.M40", true, true, true, false, false, true, ""},
        {"read-only file", {4}, true, "*.M40", false, true, true, false, false, true, ""},
        {"mixed: catalogue and file", {1, 3}, true, "*.M40", true, true, true, true, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto& r : rows) { // a fresh listing
            if (!r.savedImageKey.isEmpty())
                r.imageKey = r.savedImageKey;
            r.savedImageKey.clear();
        }
        select(rows, c.selected);
        inputs.ftpSessionOpen = c.ftpOpen;
        inputs.typeFilter = c.filter;
        const LocalSelectionUpdate u = update();
        ASSERT_FALSE(u.stopped);
        EXPECT_EQ(u.flags.delFile, c.delFile);
        EXPECT_EQ(u.flags.contextCopy, c.copy);
        if (c.selected.size() > 0) {
            EXPECT_EQ(u.flags.packAdd, c.packAdd);
        }
        EXPECT_EQ(u.flags.catalog, c.catalog);
        EXPECT_EQ(u.flags.catalogDescription, c.catalog);
        EXPECT_EQ(u.flags.catalogCreate, c.catalogCreate);
        EXPECT_EQ(u.flags.catalogFamily, c.catalogCreate);
        EXPECT_EQ(u.flags.download, c.download);
        EXPECT_EQ(u.comment, QString::fromUtf8(c.comment));
        EXPECT_EQ(u.selectedCount, int(c.selected.size()));
    }
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Selection, MarksFollowTheSelectionAndTheSession)
{
    select(rows, {1, 3});
    update();
    EXPECT_EQ(images(), QStringList({"ClsFolder", "coche", "CatFile", "Unknown", "Unknown", "Unknown"}))
        << "without a session only catalogue lists are marked";
    EXPECT_EQ(rows[1].savedImageKey, "CatFile");

    inputs.ftpSessionOpen = true;
    update();
    EXPECT_EQ(images(), QStringList({"ClsFolder", "coche", "CatFile", "coche", "Unknown", "Unknown"}));
    EXPECT_EQ(rows[3].savedImageKey, "Unknown");

    select(rows, {2});
    const LocalSelectionUpdate u = update();
    EXPECT_EQ(images(), QStringList({"ClsFolder", "CatFile", "coche", "Unknown", "Unknown", "Unknown"}))
        << "deselected rows get their own image back";
    EXPECT_TRUE(rows[1].savedImageKey.isEmpty());
    EXPECT_EQ(u.changedRows, std::vector<int>({1, 2, 3}));
}

TEST_F(Selection, AMarkedCatalogueShowsItsCommentAgainButAMarkedBinaryIsNotRead)
{
    inputs.ftpSessionOpen = true;
    select(rows, {1});
    update();
    EXPECT_EQ(update().comment, "Terminal load A") << "second update: the row is already marked";
    select(rows, {3});
    update();
    EXPECT_EQ(update().comment, "") << "a marked file that is no catalogue list has no comment";
}

TEST_F(Selection, DownloadIsWithheldForDiagnosticAndAtTheTerminalRoot)
{
    inputs.ftpSessionOpen = true;
    select(rows, {1});
    EXPECT_TRUE(update().flags.download);
    inputs.activityAsked = 2;
    EXPECT_FALSE(update().flags.download);
    inputs.activityAsked = 1;
    inputs.currentTerminalDir = "\\";
    EXPECT_FALSE(update().flags.download);
    inputs.currentTerminalDir = "\\SWAP\\";
    select(rows, {});
    EXPECT_FALSE(update().flags.download) << "the marks go with the selection";
}

TEST_F(Selection, AVanishedCatalogueStopsTheUpdateWithTheSystemsReason)
{
    QFile::remove(rows[1].fullPath);
    select(rows, {1});
    const LocalSelectionUpdate u = update();
    EXPECT_TRUE(u.stopped);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_TRUE(notifier.shown[0].text.contains(rows[1].fullPath));
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Critical);
}

TEST_F(Selection, PackResetFollowsThePackWindowOnlyWithASelection)
{
    inputs.packResetEnabled = true;
    select(rows, {3});
    EXPECT_EQ(update().flags.packReset, std::optional<bool>(true));
    select(rows, {});
    EXPECT_EQ(update().flags.packReset, std::nullopt);
}

TEST(SelectionTexts, ClipboardTextIsTheSelectedNamesInListOrderEachWithCrLf)
{
    std::vector<SelectionRow> rows(4);
    const char* names[] = {"pack", "A.M40", "b c.bin", "Z"};
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].text = names[i];
    EXPECT_EQ(LocalSelection::clipboardText(rows), QString());
    rows[2].selected = rows[0].selected = true;
    EXPECT_EQ(LocalSelection::clipboardText(rows).toUtf8(), QByteArray("pack\r\nb c.bin\r\n"));
}

TEST(SelectionTexts, CommentIsTheFirstSemicolonLine)
{
    jvztest::LocalRowsFolder dir("comment");
    struct Case {
        QByteArray content;
        QString comment;
    };
    const Case cases[] = {
        {"a.bin\r\n;first\r\n;second\r\n", "first"},
        {";\r\n", ""},
        {"a\nb\n", ""},
        {"", ""},
        {"x\r\n; spaced \xe9t\xe9\r\n", QString::fromUtf8(" spaced été")},
    };
    for (const Case& c : cases) {
        dir.write("L.M40", c.content);
        QString comment = "stale";
        EXPECT_FALSE(LocalSelection::ReadCatalogueComment(dir.folder + "L.M40", comment, nullptr));
        EXPECT_EQ(comment, c.comment) << c.content.toStdString();
    }
    QString comment;
    EXPECT_TRUE(LocalSelection::ReadCatalogueComment(dir.folder + "missing.M40", comment, nullptr));
}

} // namespace
