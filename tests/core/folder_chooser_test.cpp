// The folder chooser: places from the mounted volumes, the folder tree, OK and Cancel, driven offscreen.
#include "FakeVolumeSource.h"
#include "Paths.h"
#include "TestEnv.h"
#include "WaitUntil.h"
#include "core/MBLanguages.h"
#include "core/ui/FrmDirBox.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class FolderChooser : public ::testing::Test {
protected:
    FolderChooser() : root(QString::fromStdString(jvztest::makeScratchDir("places")))
    {
        for (const char* folder : {"disk/loads/M40", "disk/loads/M30", "usb/packs"})
            QDir().mkpath(root + "/" + folder);
        volumes.add(root + "/disk", DriveKind::Fixed, true, "system");
        volumes.add(root + "/usb", DriveKind::Removable, true, "KEY");
    }

    QComboBox* drive(FrmDirBox& box) { return box.findChild<QComboBox*>("Drive1"); }
    QTreeView* tree(FrmDirBox& box) { return box.findChild<QTreeView*>("Dir1"); }
    void click(FrmDirBox& box, const char* name)
    {
        QTest::mouseClick(box.findChild<QPushButton*>(name), Qt::LeftButton);
    }

    QString root;
    jvztest::FakeVolumeSource volumes;
};

TEST_F(FolderChooser, StartsOnThePlaceAndFolderOfThePathAndOkReturnsTheFolder)
{
    FrmDirBox box(volumes);
    QAbstractItemModelTester tester(tree(box)->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_EQ(drive(box)->count(), 2);
    EXPECT_EQ(drive(box)->itemText(1), root + "/usb/ (KEY)");

    box.init(root + "/usb/packs");
    EXPECT_EQ(drive(box)->currentIndex(), 1);
    EXPECT_EQ(box.currentFolder(), root + "/usb/packs");
    box.init(root + "/disk/loads/M30/");
    EXPECT_EQ(drive(box)->currentIndex(), 0);
    EXPECT_EQ(box.currentFolder(), root + "/disk/loads/M30");
    box.show();
    click(box, "CmdOK");
    EXPECT_EQ(box.SelectedDirectory, root + "/disk/loads/M30");
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

// The start folder is where the user sees it: its parents open, scrolled into view and selected, once the
// tree has read the folders around it (many siblings sort before it and push it down while they load).
TEST_F(FolderChooser, StartFolderIsShownOpenAndSelectedOnceLoaded)
{
    for (int i = 0; i < 80; ++i)
        QDir().mkpath(root + QStringLiteral("/disk/loads/a%1").arg(i, 2, 10, QLatin1Char('0')));
    const QString start = root + "/disk/loads/zz/inner";
    QDir().mkpath(start + "/below");
    FrmDirBox box(volumes);
    box.init(start);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTreeView* view = tree(box);
    auto* model = qobject_cast<QFileSystemModel*>(view->model());
    ASSERT_TRUE(model);
    const QModelIndex index = model->index(start);
    // Loaded: the siblings of every level are in the tree (the fixture's M30 and M40 beside them).
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(model->index(root + "/disk/loads")) == 83; }, 10000));
    const auto shown = [&] {
        const QRect rect = view->visualRect(index);
        return view->isExpanded(model->index(root + "/disk/loads")) &&
               view->isExpanded(model->index(root + "/disk/loads/zz")) && !rect.isEmpty() &&
               view->viewport()->rect().contains(rect.center()) && view->selectionModel()->isSelected(index) &&
               view->currentIndex() == index;
    };
    EXPECT_TRUE(QTest::qWaitFor(shown, 5000));
    QTest::qWait(300);
    EXPECT_TRUE(shown()) << "the folder stays in view after the tree settles";
    const QString shot = jvztest::binDir() + "/../screenshots/folder_chooser_start.png";
    QDir().mkpath(QFileInfo(shot).absolutePath());
    EXPECT_TRUE(box.grab().save(shot));
    click(box, "CmdOK");
    EXPECT_EQ(box.SelectedDirectory, start);
}

TEST_F(FolderChooser, CancelReturnsNothingAndTheFrameKeepsTheEarlierAnswer)
{
    FrmDirBox box(volumes);
    box.init(root + "/disk/loads");
    box.SelectedDirectory = "earlier";
    box.show();
    box.close(); // the window frame
    EXPECT_EQ(box.SelectedDirectory, QStringLiteral("earlier"));
    box.show();
    click(box, "CmdAnnuler");
    EXPECT_EQ(box.SelectedDirectory, QString());
    EXPECT_EQ(box.result(), QDialog::Rejected);
}

TEST_F(FolderChooser, AnotherPlaceShowsItsRootAndTreeClicksChooseFolders)
{
    FrmDirBox box(volumes);
    box.init(root + "/disk/loads/M40");
    drive(box)->setCurrentIndex(1);
    EXPECT_EQ(box.currentFolder(), root + "/usb");
    auto* model = qobject_cast<QFileSystemModel*>(tree(box)->model());
    ASSERT_TRUE(model);
    tree(box)->setCurrentIndex(model->index(root + "/usb/packs"));
    box.show();
    click(box, "CmdOK");
    EXPECT_EQ(box.SelectedDirectory, root + "/usb/packs");
}

TEST_F(FolderChooser, PlaceThatCannotBeReadOrAPathOutsideEveryPlace)
{
    volumes.add(root + "/gone", DriveKind::Network, false, "share");
    FrmDirBox box(volumes);
    box.init(root + "/disk/loads");
    drive(box)->setCurrentIndex(2); // missing: the tree keeps what it showed
    EXPECT_EQ(box.currentFolder(), root + "/disk/loads");

    const QString outside = QString::fromStdString(jvztest::makeScratchDir("outside"));
    FrmDirBox other(volumes);
    other.init(outside);
    EXPECT_EQ(other.currentFolder(), outside);
    other.init(QString());
    EXPECT_EQ(other.currentFolder(), outside);
}

TEST_F(FolderChooser, TranslatedAndPictured)
{
    const QString lng = QString::fromStdString(jvztest::makeScratchDir("lng")) + "/JVZ.lng";
    QFile::copy(jvztest::binDir() + "/JVZ.lng", lng);
    MBLanguages language;
    language.init(lng, 1);
    FrmDirBox box(volumes);
    box.InitLanguage(language);
    box.init(root + "/disk/loads/M40");
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Choose a folder"));
    EXPECT_EQ(box.findChild<QPushButton*>("CmdAnnuler")->text(), QStringLiteral("Cancel"));
    box.show();
    tree(box)->expandAll();
    // The file system model fills in the background.
    auto* model = qobject_cast<QFileSystemModel*>(tree(box)->model());
    const auto loads = [&] { return model->rowCount(model->index(root + "/disk/loads")); };
    ASSERT_TRUE(jvztest::waitUntil([&] { return loads() == 2; })) << loads();
    const QString shot = jvztest::binDir() + "/../screenshots/folder_chooser.png";
    QDir().mkpath(QFileInfo(shot).absolutePath());
    ASSERT_TRUE(box.grab().save(shot));
}

} // namespace
