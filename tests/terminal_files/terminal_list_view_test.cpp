// The terminal pane's controller on widgets of its own (offscreen): keys, toolbar, filter box, the two
// transfer commands and their busy bracket, against a real FTP server on loopback.
#include "FtpServerFixture.h"
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/ui/TerminalExplorerView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class TerminalPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(
            m_server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=99999\r\n"));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), m_dia));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.ADF"), m_adf));
        ASSERT_TRUE(QDir().mkpath(m_server.localPath(QStringLiteral("\\SWAP\\SUB"))));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        m_world.batch.gBatchMode = false;
        m_world.identity.swapDisk = QStringLiteral("SWAP");

        auto* central = new QWidget(&m_window);
        auto* layout = new QVBoxLayout(central);
        m_listView1 = new QTreeView(central);
        m_listView1->setObjectName(QStringLiteral("ListView1"));
        m_listView1->setModel(&m_local);
        m_listView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
        m_listView2 = new QTreeView(central);
        m_listView2->setObjectName(QStringLiteral("ListView2"));
        m_combo3 = new QComboBox(central);
        m_statusBar4 = new QLabel(central);
        for (QWidget* w : {static_cast<QWidget*>(m_listView1), static_cast<QWidget*>(m_combo3),
                           static_cast<QWidget*>(m_listView2), static_cast<QWidget*>(m_statusBar4)})
            layout->addWidget(w);
        m_window.setCentralWidget(central);
        m_toolbar3 = m_window.addToolBar(QStringLiteral("Toolbar3"));
        for (const char* name : {"BackFolder", "DelFile", "Refresh"})
            m_toolbar3->addAction(QString::fromLatin1(name))->setObjectName(QLatin1String(name));

        m_localFolder = jvztest::scratchFolder("local");
        m_treeFolder = jvztest::scratchFolder("tree");

        TerminalExplorerHooks explorer;
        explorer.sessionOpen = [this] { return m_open; };
        explorer.sessionProtocol = [] { return false; };
        explorer.activityAsked = [] { return uint8_t(1); };
        TerminalPaneQueries pane;
        pane.localSelection = [this] {
            QList<LocalSelectedItem> items;
            for (const QModelIndex& i : m_listView1->selectionModel()->selectedRows())
                items.append({i.data().toString(), i.data(Qt::UserRole).toString()});
            return items;
        };
        pane.localFolder = [this] { return m_localFolder; };
        pane.treeFolder = [this] { return m_treeFolder; };
        pane.downloadEnabled = [] { return true; };
        m_view = std::make_unique<TerminalExplorerView>(m_ctx, explorer,
                                                        TerminalPaneWidgets{m_listView2,
                                                                            m_combo3,
                                                                            m_toolbar3,
                                                                            m_statusBar4,
                                                                            m_listView1,
                                                                            {m_listView1},
                                                                            nullptr,
                                                                            nullptr,
                                                                            &m_window},
                                                        pane);
        // What the window does with the pane's reports.
        QObject::connect(m_view.get(), &TerminalExplorerView::localFilesChanged,
                         [this](const QString& f) { m_refreshed << f; });
        QObject::connect(m_view.get(), &TerminalExplorerView::captionChanged, m_statusBar4, &QLabel::setText);
        m_window.resize(600, 500);
        m_window.show();
        m_view->FtpEnumDirectory(QStringLiteral("\\SWAP\\"));
    }

    void addLocal(const QString& name, const QString& image, const QByteArray& bytes)
    {
        jvztest::writeFile(m_localFolder + name, bytes);
        auto* item = new QStandardItem(name);
        item->setData(image, Qt::UserRole);
        m_local.appendRow(item);
    }

    QStringList shownNames() const
    {
        QStringList names;
        for (int r = 0; r < m_listView2->model()->rowCount(); ++r)
            names << m_listView2->model()->index(r, 0).data().toString();
        return names;
    }

    void select(QTreeView* view, const QStringList& names)
    {
        view->clearSelection();
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            const QModelIndex i = view->model()->index(r, 0);
            if (names.contains(i.data().toString()))
                view->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    QByteArray m_dia = jvztest::patternBytes(2000, 7);
    QByteArray m_adf = jvztest::patternBytes(300, 8);
    QMainWindow m_window;
    QStandardItemModel m_local;
    QTreeView* m_listView1 = nullptr;
    QTreeView* m_listView2 = nullptr;
    QComboBox* m_combo3 = nullptr;
    QLabel* m_statusBar4 = nullptr;
    QToolBar* m_toolbar3 = nullptr;
    QString m_localFolder;
    QString m_treeFolder;
    QStringList m_refreshed;
    bool m_open = true;
    std::unique_ptr<TerminalExplorerView> m_view;
};

TEST_F(TerminalPaneTest, KeysAndToolbarDriveTheList)
{
    QAbstractItemModelTester tester(m_listView2->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(shownNames().size(), 4);
    select(m_listView2, {QStringLiteral("SUB")});
    m_listView2->setFocus();
    QTest::keyClick(m_listView2, Qt::Key_Return);
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\SWAP\\SUB\\"));
    EXPECT_TRUE(shownNames().isEmpty());
    EXPECT_EQ(m_statusBar4->text(), QStringLiteral("<TerminalContent>'\\SWAP\\SUB\\'"));

    QTest::keyClick(m_listView2, Qt::Key_B);
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(m_combo3->currentText(), QStringLiteral("*.*"));
    EXPECT_TRUE(m_view->selectedNames().isEmpty()) << "only a first-level folder is selected again";

    // The session gone: B does nothing.
    m_open = false;
    QTest::keyClick(m_listView2, Qt::Key_B);
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\SWAP\\"));
    m_open = true;

    select(m_listView2, {QStringLiteral("APP.ADF")});
    m_world.notifier.answers = {MessageAnswer::Yes};
    QTest::keyClick(m_listView2, Qt::Key_Delete);
    EXPECT_FALSE(shownNames().contains(QStringLiteral("APP.ADF")));

    QTest::keyClick(m_listView2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_view->selectedRows().size(), shownNames().size());
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\NEW.SGN"), "n"));
    QTest::keyClick(m_listView2, Qt::Key_F5);
    EXPECT_TRUE(shownNames().contains(QStringLiteral("NEW.SGN")));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\NEWER.SGN"), "n"));
    m_toolbar3->actions().at(2)->trigger();
    EXPECT_TRUE(shownNames().contains(QStringLiteral("NEWER.SGN")));
}

TEST_F(TerminalPaneTest, FilterBoxPickRelistsAtOnce)
{
    m_combo3->addItem(QStringLiteral("*.DIA"));
    m_combo3->setCurrentIndex(m_combo3->findText(QStringLiteral("*.DIA")));
    emit m_combo3->activated(m_combo3->currentIndex());
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("DIAG.DIA")});
}

TEST_F(TerminalPaneTest, DownloadSendsTheLocalSelectionOnceAndRefusesAClickMeanwhile)
{
    const QByteArray app = jvztest::patternBytes(5000, 1);
    addLocal(QStringLiteral("app.sgn"), QStringLiteral("Unknown"), app);
    addLocal(QStringLiteral("LOAD.M40"), QStringLiteral("CatFile"), "-eSWAP\r\napp.sgn\r\n");
    m_world.info.SetProductCode(QStringLiteral("M40"));
    select(m_listView1, {QStringLiteral("LOAD.M40")});
    int refused = 0;
    // A second click while the first waits on the progress window is refused, never re-entered.
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(m_view->isBusy());
        EXPECT_FALSE(m_window.isEnabled());
        const qsizetype before = m_server.commands().size();
        m_view->MNU_Terminal_Download_Click();
        m_view->MNU_Terminal_Upload_Click();
        refused += m_server.commands().size() == before ? 1 : 0;
    });
    m_view->MNU_Terminal_Download_Click();
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(m_view->isBusy());
    EXPECT_TRUE(m_window.isEnabled());
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_TRUE(shownNames().contains(QStringLiteral("APP.SGN"))) << "relisted after the transfer";
    EXPECT_EQ(m_combo3->currentText(), QStringLiteral("*.*"));
}

TEST_F(TerminalPaneTest, UploadGetsTheTerminalSelectionIntoTheTreesFolder)
{
    select(m_listView2, {QStringLiteral("DIAG.DIA"), QStringLiteral("APP.ADF")});
    m_view->MNU_Terminal_Upload_Click();
    EXPECT_EQ(jvztest::readFile(m_treeFolder + QStringLiteral("DIAG.DIA")), m_dia);
    EXPECT_EQ(jvztest::readFile(m_treeFolder + QStringLiteral("APP.ADF")), m_adf);
    EXPECT_EQ(m_refreshed, QStringList{m_treeFolder});
}

TEST_F(TerminalPaneTest, DropsThatDoNotComeFromTheOtherListDoNothing)
{
    select(m_listView2, {QStringLiteral("DIAG.DIA")});
    std::unique_ptr<QMimeData> mime(m_listView2->model()->mimeData({m_listView2->model()->index(0, 0)}));
    QDropEvent onTerminal(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_listView2->viewport(), &onTerminal);
    QDropEvent onLocal(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_listView1->viewport(), &onLocal);
    EXPECT_TRUE(QDir(m_treeFolder).entryList(QDir::Files).isEmpty());
    const auto commands = m_server.commands(); // one list: begin and end of two copies would not meet
    EXPECT_FALSE(
        std::any_of(commands.begin(), commands.end(), [](const QByteArray& c) { return c.startsWith("STOR"); }));
}

} // namespace
