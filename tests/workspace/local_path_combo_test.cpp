// The path combo (ImageCombo1) and the opening of folder paths in the tree.
#include "LocalExplorerFixture.h"
#include "workspace/PathComboModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::PaneFixture;

namespace {

QStringList keys(const PathComboModel& m)
{
    QStringList k;
    for (int r = 0; r < m.rowCount(); ++r)
        k.append(m.keyAt(r));
    return k;
}

void openLevels(PaneFixture& f, const QStringList& levels)
{
    for (const QString& l : levels)
        f.pane->OpenFolderInTree(l);
}

} // namespace

TEST(LocalPathComboModel, FolderEntriesBelowTheirDriveAndTrim)
{
    PathComboModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setDrives(QStringLiteral("My Computer"),
                {{QStringLiteral("/"), DriveKind::Fixed, QStringLiteral(" (/)"), "Drive"},
                 {QStringLiteral("/home/u/"), DriveKind::Fixed, "H (/home/u/)", "Drive"}});
    EXPECT_EQ(m.addFolderEntries(QStringLiteral("/data/pack/"), QStringLiteral("/")), 3);
    EXPECT_EQ(keys(m), (QStringList{"", "/", "/data/", "/data/pack/", "/home/u/"}));
    EXPECT_EQ(m.index(3).data(PathComboModel::IndentRole).toInt(), 3);
    EXPECT_EQ(m.index(3).data(Qt::EditRole).toString(), QStringLiteral("pack"));
    EXPECT_EQ(m.pathComboKey(), QStringLiteral("/data/pack/"));
    EXPECT_EQ(m.addFolderEntries(QStringLiteral("/data/"), QStringLiteral("/")), 2) << "present entries are reused";
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.addFolderEntries(QStringLiteral("/"), QStringLiteral("/")), 1) << "a drive root adds nothing";
    EXPECT_EQ(m.addFolderEntries(QStringLiteral("/x/"), QStringLiteral("/nodrive/")), -1);
    m.trimFolders();
    EXPECT_EQ(keys(m), (QStringList{"", "/", "/home/u/"}));
    EXPECT_EQ(m.pathComboKey(), QString());
    m.trimFolders(); // nothing left to trim: no harm
    EXPECT_EQ(m.rowCount(), 3);
}

TEST(LocalPathCombo, ListingAddsTheFolderLevelsAndSelectsTheLast)
{
    PaneFixture f;
    f.start();
    openLevels(f, {f.tree.vol1, f.tree.vol1 + "data/", f.tree.vol1 + "data/pack/"});
    EXPECT_EQ(keys(f.pane->pathModel()),
              (QStringList{"", f.tree.vol1, f.tree.vol1 + "data/", f.tree.vol1 + "data/pack/", f.tree.vol2}));
    EXPECT_EQ(f.pathCombo->currentIndex(), 3);
    EXPECT_EQ(f.pathCombo->currentText().trimmed(), QStringLiteral("pack"));
}

TEST(LocalPathCombo, PickingEntriesOpensThem)
{
    PaneFixture f;
    f.start();
    openLevels(f, {f.tree.vol1, f.tree.vol1 + "data/", f.tree.vol1 + "data/pack/"});
    const struct {
        const char* label;
        QString key;
        QString folder;
        int entries;
    } picks[] = {
        {"the drive: its folder entries go", f.tree.vol1, f.tree.vol1, 3},
        {"the other drive", f.tree.vol2, f.tree.vol2, 3},
        {"My Computer: the drives", QString(), QString(), 3},
    };
    for (const auto& p : picks) {
        SCOPED_TRACE(p.label);
        const int row = f.pane->pathModel().rowOfKey(p.key);
        ASSERT_GE(row, 0);
        f.pathCombo->setCurrentIndex(row);
        emit f.pathCombo->activated(row);
        EXPECT_EQ(f.pane->CurrentLocalFolder(), p.folder);
        EXPECT_EQ(f.pane->pathModel().rowCount(), p.entries);
        EXPECT_EQ(f.pane->treeModel().folderOf(f.pane->selectedNode()), p.folder);
    }
    EXPECT_EQ(f.listTexts().size(), 2) << "the drive view";

    // A folder entry picked while deeper folders are shown opens that folder.
    openLevels(f, {f.tree.vol1, f.tree.vol1 + "data/", f.tree.vol1 + "data/pack/"});
    const int data = f.pane->pathModel().rowOfKey(f.tree.vol1 + "data/");
    f.pathCombo->setCurrentIndex(data);
    emit f.pathCombo->activated(data);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/");
    EXPECT_EQ(keys(f.pane->pathModel()), (QStringList{"", f.tree.vol1, f.tree.vol1 + "data/", f.tree.vol2}));
}

TEST(LocalOpenFolderInTree, MatchesAnyCaseWhenNoExactNode)
{
    PaneFixture f;
    f.start();
    openLevels(f, {f.tree.vol1, f.tree.vol1 + "DATA/"});
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/");
}

TEST(LocalOpenFolderInTree, PathWithoutANodeShowsThePathAndKeepsTheList)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    const QStringList before = f.listTexts();
    f.pane->OpenFolderInTree(f.tree.vol1 + "data/pack/"); // two levels below the deepest expanded node
    EXPECT_EQ(f.folderPanel, f.tree.vol1 + "data/pack/");
    EXPECT_EQ(f.listTexts(), before);
    EXPECT_EQ(f.status2(jvz::StatusPanel::ObjectCount), QStringLiteral("%1 objects found").arg(before.size()));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1);
}

TEST(LocalTypedPath, LevelByLevelRootAndRelative)
{
    PaneFixture f;
    f.start();
    f.pane->GoToTypedPath(f.tree.vol1 + "data/pack");
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/pack/");
    EXPECT_EQ(f.listTexts(), (QStringList{"inner", "P1.M40"}));

    f.pane->GoToTypedPath(QStringLiteral("My Computer"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    EXPECT_EQ(f.listTexts().size(), 2);

    // A relative path is not taken from the working folder: nothing opens.
    QDir::setCurrent(f.tree.vol1);
    f.pane->GoToTypedPath(QStringLiteral("data"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    EXPECT_EQ(f.listTexts().size(), 2);
}

TEST(LocalStartPath, MyComputerOpensNothing)
{
    PaneFixture f;
    f.start();
    EXPECT_TRUE(f.pane->treeModel().isRoot(f.pane->selectedNode()));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    f.pane->OpenStartPath(QStringLiteral("My Computer"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    f.pane->OpenStartPath(f.tree.vol1 + "data/");
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/");
}
