// The descriptor viewer on the real window, offscreen: the titled rows of a descriptor's first line, and
// the list of a catalogue's files with what a click on each entry shows.
#include "FakeNotifier.h"
#include "TestEnv.h"
#include "terminal_files/ui/ViewerWindows.h"
#include "terminal_files/ui/frmDescFile.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

MBLanguages descriptorTexts(const std::string& nbField)
{
    std::string lng = "[General]\r\nToolTitle=T,T\r\n[frmDescFile]\r\n";
    if (!nbField.empty())
        lng += "NbField=" + nbField + "," + nbField + "\r\n";
    lng += "DescField1=Kind,Type\r\nDescField2=Name,Nom\r\nDescField3=Version,Version\r\n"
           "SoftDescriptor=application,application\r\nDriverDescriptor=driver,pilote\r\nParamDescriptor=parameters,"
           "paramètres\r\n"
           "LBL_FileList=Files,Fichiers\r\nListView1.ColumnHeaders1=Field,Champ\r\n"
           "ListView1.ColumnHeaders2=Value,Valeur\r\n";
    const std::string path = jvztest::makeScratchDir("lng") + "/JVZ.lng";
    EXPECT_TRUE(jvztest::writeFileBytes(path, lng));
    MBLanguages language;
    language.init(QString::fromStdString(path), 1);
    return language;
}

class DescriptorViewerTest : public testing::Test {
protected:
    QString write(const char* name, const std::string& bytes)
    {
        EXPECT_TRUE(jvztest::writeFileBytes((m_folder + QLatin1String(name)).toStdString(), bytes));
        return QLatin1String(name);
    }

    QTreeWidget* table() { return m_viewer.findChild<QTreeWidget*>(QStringLiteral("ListView1")); }
    QListWidget* list() { return m_viewer.findChild<QListWidget*>(QStringLiteral("List1")); }

    Rows rows()
    {
        Rows r;
        for (int i = 0; i < table()->topLevelItemCount(); ++i)
            r.emplace_back(table()->topLevelItem(i)->text(0), table()->topLevelItem(i)->text(1));
        return r;
    }

    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("desc")) + QLatin1Char('/');
    jvztest::FakeNotifier m_notifier;
    frmDescFile m_viewer{m_notifier};
};

} // namespace

TEST_F(DescriptorViewerTest, FirstLineFieldsInTitledRows)
{
    struct RowCase {
        const char* what;
        std::string nbField;
        std::string content;
        Rows expected;
    };
    const RowCase cases[] = {
        {"application kind",
         "3",
         "1,MYAPP,0101\r\n",
         {{"Kind", "1 (application)"}, {"Name", "MYAPP"}, {"Version", "0101"}}},
        {"parameter kind, fewer fields", "3", "4,P", {{"Kind", "4 (parameters)"}, {"Name", "P"}, {"Version", ""}}},
        {"unknown kind", "3", "5,X,Y\n", {{"Kind", "5"}, {"Name", "X"}, {"Version", "Y"}}},
        {"empty fields count", "3", "1,,V\n", {{"Kind", "1 (application)"}, {"Name", ""}, {"Version", "V"}}},
        {"empty first line", "3", "\r\n2,LIB,1\r\n", {{"Kind", ""}, {"Name", ""}, {"Version", ""}}},
        {"only the first line counts",
         "3",
         "3,DRV\r\n1,OTHER,9\r\n",
         {{"Kind", "3 (driver)"}, {"Name", "DRV"}, {"Version", ""}}},
        {"more fields than titled rows",
         "2",
         "1,A,B,C",
         {{"Kind", "1 (application)"}, {"Name", "A"}, {"", "B"}, {"", "C"}}},
        {"no field count", "", "1,A", {{"", "1 (application)"}, {"", "A"}}},
        {"field count that is no number", "many", "1,A", {{"", "1 (application)"}, {"", "A"}}},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = write("APP.ADF", c.content);
        const MBLanguages language = descriptorTexts(c.nbField);
        QAbstractItemModelTester tester(table()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        ASSERT_EQ(m_viewer.init(m_folder, name, language, false), 0);
        m_viewer.MajInfoFile(m_folder + name);
        EXPECT_EQ(rows(), c.expected);
        EXPECT_EQ(m_viewer.windowTitle(), name);
        EXPECT_FALSE(list()->isVisibleTo(&m_viewer));
    }
    EXPECT_TRUE(m_notifier.shown.empty());
}

TEST_F(DescriptorViewerTest, CatalogueListEntriesShowTheirDescriptorOrGoToTheDumper)
{
    write("APP.ADF", "1,MYAPP,0101\r\n");
    write("sub/drv.ddf", "3,DRV,2\r\n");
    write("abs.pdf", "4,PRM,7\r\n");
    write("APP.SGN", "signed");
    // A drive-absolute entry, written as on Windows, naming the scratch folder.
    QString absolute = m_folder + QStringLiteral("abs.pdf");
    ASSERT_TRUE(absolute.startsWith(QLatin1Char('/')));
    absolute = QStringLiteral("C:") + QString(absolute).replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QString name = write("SOFT.M40", "; the load\r\napp.adf\r\n\r\nsub\\drv.ddf\r\n" + absolute.toStdString() +
                                               "\r\nAPP.SGN\r\nNOTES.DESC\r\n");
    const MBLanguages language = descriptorTexts("3");
    QStringList dumped;
    m_viewer.setSignedFileDump([&](const QString& path) { dumped << path; });
    ASSERT_EQ(m_viewer.init(m_folder, name, language, true), 0);
    ASSERT_EQ(list()->count(), 6); // the empty line is left out, the comment kept
    EXPECT_TRUE(list()->isVisibleTo(&m_viewer));

    struct ClickCase {
        int row;
        bool certifSgn;
        Rows expected;
        QStringList dumped;
    };
    const ClickCase cases[] = {
        {1, false, {{"Kind", "1 (application)"}, {"Name", "MYAPP"}, {"Version", "0101"}}, {}},
        {0, false, {}, {}},
        {2, false, {{"Kind", "3 (driver)"}, {"Name", "DRV"}, {"Version", "2"}}, {}},
        {3, false, {{"Kind", "4 (parameters)"}, {"Name", "PRM"}, {"Version", "7"}}, {}},
        {4, false, {}, {}},
        {4, true, {}, {m_folder + "APP.SGN"}},
        {5, true, {}, {}},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(list()->item(c.row)->text().toStdString());
        m_viewer.setDispatchSettings({c.certifSgn, QString()});
        dumped.clear();
        m_viewer.List1_Click(list()->item(c.row));
        EXPECT_EQ(rows(), c.expected);
        EXPECT_EQ(dumped, c.dumped);
    }
    EXPECT_TRUE(m_notifier.shown.empty());
}

TEST_F(DescriptorViewerTest, UnreadableListIsReported)
{
    EXPECT_NE(m_viewer.init(m_folder, QStringLiteral("absent.M40"), descriptorTexts("3"), true), 0);
    EXPECT_EQ(m_notifier.shown.size(), 1u);
}

// Through the main window's viewer windows: the list shown modal, a signed entry handed to the dumper when the
// settings send signed files there.
TEST_F(DescriptorViewerTest, ModalListHandsSignedEntriesToTheDumper)
{
    write("APP.SGN", "signed");
    const QString name = write("SOFT.M40", "APP.SGN\r\n");
    const MBLanguages language = descriptorTexts("3");
    ViewerWindows windows(nullptr, language, m_notifier);
    QStringList dumped;
    windows.setSignedFileDump([&](const QString& path) { dumped << path; }, [] { return DispatchSettings{true, {}}; });
    bool shownModal = false;
    QTimer::singleShot(0, [&] {
        auto* viewer = qobject_cast<frmDescFile*>(QApplication::activeModalWidget());
        if (!viewer)
            return;
        shownModal = true;
        auto* entries = viewer->findChild<QListWidget*>(QStringLiteral("List1"));
        viewer->List1_Click(entries->item(0));
        viewer->findChild<QPushButton*>(QStringLiteral("BTN_Quit"))->click();
    });
    EXPECT_EQ(windows.showDescriptorList(m_folder, name), 0);
    EXPECT_TRUE(shownModal);
    EXPECT_EQ(dumped, QStringList{m_folder + QStringLiteral("APP.SGN")});
    EXPECT_NE(windows.showDescriptorList(m_folder, QStringLiteral("absent.M40")), 0);
}
