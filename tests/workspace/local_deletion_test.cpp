// Deleting the files chosen in the local list: the questions, folders left alone, the first failure ends
// the run with the system's reason and the folder is relisted.
#include "FakeNotifier.h"
#include "LocalRowsFixture.h"
#include "Paths.h"
#include "core/MBLanguages.h"
#include "workspace/LocalDeletion.h"
#include "workspace/LocalListModel.h"
#include "workspace/LocalListing.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::select;
using Result = LocalDeletionOutcome::Result;

namespace {

// Rows: 0 folder "sub", 1 "a.bin", 2 "b.M40", 3 "c.bin", 4 "d.bin".
struct DeletionScene {
    DeletionScene() : dir("deletion")
    {
        language.init(jvztest::binDir() + "/JVZ.lng", 1);
        language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        rows = {dir.folderRow("sub"), dir.fileRow("a.bin", "a", "Unknown"), dir.fileRow("b.M40", "b", "CatFile"),
                dir.fileRow("c.bin", "c", "Unknown"), dir.fileRow("d.bin", "d", "Unknown")};
    }

    QStringList present() const
    {
        QStringList out;
        for (const char* name : {"sub", "a.bin", "b.M40", "c.bin", "d.bin"}) {
            if (dir.exists(name))
                out << name;
        }
        return out;
    }

    QString label(const char* key) const { return language.GetFormLabel(key); }

    jvztest::LocalRowsFolder dir;
    MBLanguages language;
    jvztest::FakeNotifier notifier;
    std::vector<SelectionRow> rows;
};

class Deletion : public ::testing::Test, public DeletionScene {};

TEST_F(Deletion, QuestionsAnswersAndWhatRemains)
{
    struct Case {
        const char* name;
        std::initializer_list<int> selected;
        std::deque<MessageAnswer> answers;
        Result result;
        const char* question; // empty: none asked
        QStringList remaining;
    };
    const QStringList all = {"sub", "a.bin", "b.M40", "c.bin", "d.bin"};
    const Case cases[] = {
        {"nothing chosen", {}, {}, Result::NothingSelected, "", all},
        {"one folder: a beep", {0}, {}, Result::Beep, "", all},
        {"one file, No", {1}, {MessageAnswer::No}, Result::Declined, "one", all},
        {"one file, Yes", {1}, {MessageAnswer::Yes}, Result::Deleted, "one", {"sub", "b.M40", "c.bin", "d.bin"}},
        {"two files and a folder, Yes",
         {0, 2, 3},
         {MessageAnswer::Yes},
         Result::Deleted,
         "3",
         {"sub", "a.bin", "d.bin"}},
        {"two files, No", {2, 3}, {MessageAnswer::No}, Result::Declined, "2", all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeletionScene fresh; // a folder of its own per case
        select(fresh.rows, c.selected);
        fresh.notifier.answers = c.answers;
        LocalDeletion deletion(fresh.notifier, fresh.language);
        const LocalDeletionOutcome out = deletion.DeleteLocalSelection(fresh.rows);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.relist, c.result != Result::NothingSelected);
        EXPECT_EQ(fresh.present(), c.remaining);
        const QString q = QString::fromUtf8(c.question);
        if (q.isEmpty()) {
            EXPECT_TRUE(fresh.notifier.shown.empty());
            continue;
        }
        ASSERT_EQ(fresh.notifier.shown.size(), 1u);
        const auto& shown = fresh.notifier.shown[0];
        const QString expected = q == "one" ? label("MSG_DelFile") + " 'a.bin' ?"
                                            : label("MSG_DelFiles1") + " " + q + " " + label("MSG_DelFiles2") + " ?";
        EXPECT_EQ(shown.text, expected);
        EXPECT_EQ(shown.title, label("TIT_DelFile"));
        EXPECT_EQ(shown.buttons, MessageButtons::YesNo);
    }
}

TEST_F(Deletion, AReadOnlyFileIsKeptWithTheFilesAfterIt)
{
    dir.makeReadOnly("c.bin");
    select(rows, {1, 2, 3, 4});
    LocalDeletion deletion(notifier, language);
    const LocalDeletionOutcome out = deletion.DeleteLocalSelection(rows);
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_TRUE(out.relist) << "so that no deleted file stays shown";
    EXPECT_EQ(out.deleted, QStringList({dir.folder + "a.bin", dir.folder + "b.M40"}));
    EXPECT_EQ(present(), QStringList({"sub", "c.bin", "d.bin"}));
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[1].text,
              label("MSG_DeleteError") + QString(" %1: ").arg(EACCES) + QString::fromLocal8Bit(strerror(EACCES)));
    EXPECT_EQ(notifier.shown[1].icon, MessageIcon::Critical);
}

TEST_F(Deletion, AFailingDeleteInTheMiddleEndsTheRunWithItsReason)
{
    select(rows, {1, 2, 3, 4});
    QStringList tried;
    LocalDeletion deletion(notifier, language, [&](const QByteArray& native) {
        const QString path = QFile::decodeName(native);
        tried << path;
        if (path.endsWith("b.M40"))
            return DeleteError{EBUSY, QStringLiteral("Device or resource busy")};
        return deleteFileUnlessReadOnly(native);
    });
    const LocalDeletionOutcome out = deletion.DeleteLocalSelection(rows);
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_EQ(tried, QStringList({dir.folder + "a.bin", dir.folder + "b.M40"})) << "nothing tried after the failure";
    EXPECT_EQ(present(), QStringList({"sub", "b.M40", "c.bin", "d.bin"}));
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[1].text, label("MSG_DeleteError") + QString(" %1: Device or resource busy").arg(EBUSY));
}

TEST_F(Deletion, DrivesAndFoldersAreNeverDeleted)
{
    // The drive view: drives chosen with a file's look must still not be touched.
    std::vector<SelectionRow> drives = {
        {"System (/)", "Drive", {}, true, LocalItemKind::Drive, dir.folder, {}},
        {"USB key (/media/k/)", "RemovableDrive", {}, true, LocalItemKind::Drive, dir.folder + "sub/", {}}};
    QStringList tried;
    LocalDeletion deletion(notifier, language, [&](const QByteArray& native) {
        const QString path = QFile::decodeName(native);
        tried << path;
        return DeleteError{};
    });
    EXPECT_EQ(deletion.DeleteLocalSelection(drives).result, Result::Beep);
    EXPECT_TRUE(tried.isEmpty());
    EXPECT_TRUE(notifier.shown.empty()) << "no question when nothing can be deleted";
    drives.resize(1);
    EXPECT_EQ(deletion.DeleteLocalSelection(drives).result, Result::Beep);

    // A folder row whose image was changed by a mark is still a folder.
    select(rows, {0, 1});
    rows[0].imageKey = "coche";
    EXPECT_EQ(deletion.DeleteLocalSelection(rows).result, Result::Deleted);
    EXPECT_EQ(tried, QStringList({dir.folder + "a.bin"}));
}

TEST_F(Deletion, ALinkIsRemovedButNotWhatItPointsTo)
{
    ASSERT_TRUE(QFile::link(dir.folder + "sub", dir.folder + "shortcut"));
    dir.write("sub/inner.txt", "keep");
    SelectionRow link{"shortcut", "RacFolder", {}, true, LocalItemKind::FolderLink, dir.folder + "shortcut", {}};
    std::vector<SelectionRow> one = {link};
    LocalDeletion deletion(notifier, language);
    EXPECT_EQ(deletion.DeleteLocalSelection(one).result, Result::Deleted);
    EXPECT_FALSE(QFileInfo(dir.folder + "shortcut").isSymLink());
    EXPECT_TRUE(dir.exists("sub/inner.txt"));
}

// The rows as the list shows a folder: read from disk, through the list model, as the selection pane takes them.
std::vector<SelectionRow> listedRows(const QString& folder, LocalListModel& model)
{
    const QByteArray native = QFile::encodeName(folder);
    model.showFolder(native, listFolder(native, {"*.*", "", {"*.M40", "*.*"}, "", {}}).entries);
    std::vector<SelectionRow> rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.push_back({model.index(row, 0).data().toString(),
                        model.imageKey(row),
                        {},
                        false,
                        model.kind(row),
                        model.fullPath(row),
                        model.nativePath(row)});
    return rows;
}

int rowNamed(const std::vector<SelectionRow>& rows, const QString& name)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].text == name)
            return int(i);
    }
    return -1;
}

TEST_F(Deletion, ListedLinksAreRemovedAsLinksAndTheRunGoesOn)
{
    LocalListModel model;
    struct Case {
        const char* name;
        QStringList chosen;
        Result result;
        QStringList gone;
    };
    const Case cases[] = {
        {"a folder link alone", {"folderlink"}, Result::Deleted, {"folderlink"}},
        {"links, a file and a folder",
         {"folderlink", "sub", "filelink", "dangling", "a.bin"},
         Result::Deleted,
         {"folderlink", "filelink", "dangling", "a.bin"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeletionScene fresh;
        fresh.dir.write("sub/inner.txt", "keep");
        fresh.dir.write("target.bin", "target");
        ASSERT_TRUE(QFile::link(fresh.dir.folder + "sub", fresh.dir.folder + "folderlink"));
        ASSERT_TRUE(QFile::link(fresh.dir.folder + "target.bin", fresh.dir.folder + "filelink"));
        ASSERT_TRUE(QFile::link(fresh.dir.folder + "nowhere", fresh.dir.folder + "dangling"));
        std::vector<SelectionRow> listed = listedRows(fresh.dir.folder, model);
        for (const QString& name : c.chosen) {
            const int row = rowNamed(listed, name);
            ASSERT_GE(row, 0) << name.toStdString();
            listed[size_t(row)].selected = true;
        }
        fresh.notifier.answers = {MessageAnswer::Yes};
        LocalDeletion deletion(fresh.notifier, fresh.language);
        const LocalDeletionOutcome out = deletion.DeleteLocalSelection(listed);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(fresh.notifier.shown.size(), 1u) << "the question only, no error";
        for (const QString& name : c.gone)
            EXPECT_FALSE(QFileInfo(fresh.dir.folder + name).isSymLink() || fresh.dir.exists(name))
                << name.toStdString();
        EXPECT_TRUE(fresh.dir.exists("sub/inner.txt")) << "a link's folder is never touched";
        EXPECT_TRUE(fresh.dir.exists("target.bin")) << "a link's file is never touched";
    }
}

TEST_F(Deletion, AListedReadOnlyFileAfterALinkStillStopsTheRun)
{
    ASSERT_TRUE(QFile::link(dir.folder + "sub", dir.folder + "folderlink"));
    dir.makeReadOnly("c.bin");
    LocalListModel model;
    std::vector<SelectionRow> listed = listedRows(dir.folder, model);
    for (const char* name : {"folderlink", "a.bin", "c.bin", "d.bin"})
        listed[size_t(rowNamed(listed, name))].selected = true;
    notifier.answers = {MessageAnswer::Yes};
    LocalDeletion deletion(notifier, language);
    const LocalDeletionOutcome out = deletion.DeleteLocalSelection(listed);
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_FALSE(QFileInfo(dir.folder + "folderlink").isSymLink());
    EXPECT_EQ(present(), QStringList({"sub", "b.M40", "c.bin", "d.bin"}));
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[1].text,
              label("MSG_DeleteError") + QString(" %1: ").arg(EACCES) + QString::fromLocal8Bit(strerror(EACCES)));
}

} // namespace
