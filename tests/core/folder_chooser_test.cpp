// The folder chooser: places from the mounted volumes, the folder tree, OK and Cancel, driven offscreen.
#include "FakeVolumeSource.h"
#include "Paths.h"
#include "TestEnv.h"
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
    QTRY_COMPARE(model->rowCount(model->index(root + "/disk/loads")), 2);
    const QString shot = jvztest::binDir() + "/../screenshots/folder_chooser.png";
    QDir().mkpath(QFileInfo(shot).absolutePath());
    ASSERT_TRUE(box.grab().save(shot));
}

} // namespace
