// The terminal list: rows made from the terminal's listing, the model under the item-model checks, and the
// list commands (navigation, back, delete, refresh, filter) against a real FTP server on loopback.
#include "FtpServerFixture.h"
#include "TestEnv.h"
#include "TransferWorld.h"
#include "core/Cp1252.h"
#include "platform/FtpClient.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalExplorer.h"
#include "terminal_files/TerminalListModel.h"
#include "terminal_files/TerminalUpload.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const QStringList kFilters = {QStringLiteral("*.M40"), QStringLiteral("*.M30"), QStringLiteral("*.*")};

// The session and the window as the explorer reaches them: plain values, and the calls in order.
class RecordedListSide : public TerminalListSession, public TerminalListWindow {
public:
    virtual ~RecordedListSide() = default;
    bool FtpSessionOpen() const override { return open; }
    void CloseFtpSession() override { calls << QStringLiteral("close FTP"); }
    void SendTerminalMessage(uint8_t code, uint8_t asked) override
    {
        calls << QStringLiteral("message %1 %2").arg(code).arg(asked);
    }
    void showProductFilter(const QString& code) override { calls << QStringLiteral("product ") + code; }

    bool sessionProtocol() const override { return protocol; }
    uint8_t activityAsked() const override { return activity; }
    QString filterText() const override { return filter; }
    void setFilterText(const QString& text) override { filter = text; }
    QStringList catalogFilterItems() const override { return filters; }
    void showCaption(const QString& text) override { caption = text; }
    void showAllLocalFiles() override { calls << QStringLiteral("all local files"); }
    void openTerminalFile(const QString& directory, const QString& name, qint64 listedBytes) override
    {
        calls << directory + name;
        openedSizes << listedBytes;
    }

    bool open = true;
    bool protocol = true;
    uint8_t activity = 3;
    QString filter = QStringLiteral("*.*");
    QStringList filters = kFilters;
    QString caption;
    QStringList calls;
    QList<qint64> openedSizes;
};

FtpFileEntry entry(const QByteArray& name, quint64 size, bool folder = false)
{
    FtpFileEntry e;
    e.name = name;
    e.size = size;
    e.isDirectory = folder;
    e.lastWrite = QDateTime(QDate(2026, 3, 7), QTime(9, 5), Qt::UTC);
    return e;
}

TEST(TerminalListRows, NamesSizesImagesAndTheNamesLeftOut)
{
    constexpr quint64 kFiveGiB = 5ull << 30;
    const QList<FtpFileEntry> listing = {
        entry("EMPTY.DAT", 0),
        entry("ONEKB.DAT", 1024),
        entry("TWOKB.DAT", 1025),
        entry("HUGE.BIN", kFiveGiB),
        entry("TERMINAL.CNF", 100),
        entry("terminal.cnf", 100),
        entry(".", 0, true),
        entry("..", 0, true),
        entry("../x", 10),
        entry("a\\b", 10),
        entry("HOST", 0, true),
        entry("LOAD.M40", 10),
        entry("load.m30", 10),
        entry("pkg_descriptor.xml", 10),
        entry("APP.SGN", 10),
        entry("  PAD.TXT  ", 10),
        entry(QByteArray("CUT.TXT\0junk", 12), 10),
        entry("APP.SGN", 99), // listed twice
        entry("   ", 10),
    };
    const struct {
        const char* name;
        const char* image;
        const char* size;
    } expected[] = {
        {"EMPTY.DAT", "Unknown", "1 Kb   "},
        {"ONEKB.DAT", "Unknown", "1 Kb   "},
        {"TWOKB.DAT", "Unknown", "2 Kb   "},
        {"HUGE.BIN", "Unknown", "5242880 Kb   "},
        {"terminal.cnf", "Unknown", "1 Kb   "},
        {"HOST", "ClsFolder", ""},
        {"LOAD.M40", "CatFile", "1 Kb   "},
        {"load.m30", "CatFile", "1 Kb   "},
        {"pkg_descriptor.xml", "RacFolder", "1 Kb   "},
        {"APP.SGN", "Unknown", "1 Kb   "},
        {"PAD.TXT", "Unknown", "1 Kb   "},
        {"CUT.TXT", "Unknown", "1 Kb   "},
    };
    QStringList dropped;
    const QList<TerminalListRow> rows = terminalListRows(listing, {kFilters, {}}, &dropped);
    ASSERT_EQ(rows.size(), std::size(expected));
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, QString::fromLatin1(expected[i].name)) << i;
        EXPECT_EQ(rows[i].imageKey, QString::fromLatin1(expected[i].image)) << expected[i].name;
        EXPECT_EQ(rows[i].sizeText, QString::fromLatin1(expected[i].size)) << expected[i].name;
        EXPECT_EQ(rows[i].dateText, QStringLiteral("07/03/2026 09:05")) << expected[i].name;
    }
    EXPECT_EQ(rows[3].size, kFiveGiB);
    EXPECT_EQ(dropped, QStringList({QStringLiteral("../x"), QStringLiteral("a\\b")}));
}

TEST(TerminalListRows, FolderShortcutsAndUnreadableDates)
{
    FtpFileEntry link = entry("TOOLS.LNK", 10);
    link.lastWrite = QDateTime();
    TerminalImageRules rules{kFilters, [](const QString& name) { return name == QLatin1String("TOOLS.LNK"); }};
    const QList<TerminalListRow> rows = terminalListRows({link, entry("OTHER.LNK", 10)}, rules);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].imageKey, QStringLiteral("RacFolder"));
    EXPECT_TRUE(rows[0].dateText.isEmpty());
    EXPECT_EQ(rows[1].imageKey, QStringLiteral("Unknown"));
}

TEST(TerminalListModelTest, PassesTheItemModelChecksAndCarriesItsRoles)
{
    TerminalListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setHeaders({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")});
    model.setRows(terminalListRows({entry("HOST", 0, true), entry("APP.SGN", 5000)}, {kFilters, {}}));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
    EXPECT_EQ(model.index(1, TerminalListModel::SizeColumn).data().toString(), QStringLiteral("5 Kb   "));
    EXPECT_EQ(model.index(0, 0).data(TerminalListModel::ImageKeyRole).toString(), QStringLiteral("ClsFolder"));
    EXPECT_TRUE(model.index(0, 0).data(TerminalListModel::IsFolderRole).toBool());
    EXPECT_EQ(model.index(1, 0).data(TerminalListModel::SizeBytesRole).toULongLong(), 5000u);
    model.setIconProvider([](const QString&) { return QIcon(); });
    std::unique_ptr<QMimeData> mime(model.mimeData({model.index(0, 0), model.index(1, 0), model.index(1, 2)}));
    EXPECT_EQ(mime->data(QString::fromLatin1(TerminalListModel::kMimeType)), QByteArray("HOST\nAPP.SGN"));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

// The explorer on a real server: a root with SWAP and HOST, the client in the root.
class TerminalExplorerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), "app"));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\LIB.SGN"), "lib"));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\TERMINAL.CNF"), "cnf"));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\HOST.LOG"), "log"));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        m_world.currentTerminalDir = QStringLiteral("\\");
        m_world.identity.productCode = QStringLiteral("M40");
        m_world.batch.gBatchMode = false;
        m_explorer = std::make_unique<TerminalExplorer>(m_ctx, m_model, m_side, m_side);
        m_explorer->relist();
    }

    QStringList names() const
    {
        QStringList list;
        for (const TerminalListRow& row : m_model.rows())
            list << row.name;
        list.sort();
        return list;
    }

    int rowOf(const QString& name) const
    {
        for (int i = 0; i < m_model.rows().size(); ++i)
            if (m_model.rows()[i].name == name)
                return i;
        return -1;
    }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    TerminalListModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    RecordedListSide m_side;
    std::unique_ptr<TerminalExplorer> m_explorer;
    bool& m_open = m_side.open;
    bool& m_protocol = m_side.protocol;
    QString& m_filter = m_side.filter;
    QString& m_caption = m_side.caption;
    QStringList& m_calls = m_side.calls;
};

TEST_F(TerminalExplorerTest, FoldersOpenAndBackReselectsTheFolderLeft)
{
    EXPECT_EQ(names(), QStringList({QStringLiteral("HOST"), QStringLiteral("SWAP")}));
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("SWAP"))});
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(m_caption, QStringLiteral("<TerminalContent>'\\SWAP\\'"));
    EXPECT_EQ(names(), QStringList({QStringLiteral("APP.SGN"), QStringLiteral("LIB.SGN")})) << "TERMINAL.CNF hidden";
    EXPECT_EQ(m_calls, QStringList{QStringLiteral("product M40")});

    m_filter = QStringLiteral("A*");
    const TerminalExplorer::BackSelection back = m_explorer->TerminalBackFolder();
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\"));
    EXPECT_EQ(m_filter, QStringLiteral("*.*"));
    EXPECT_EQ(names(), QStringList({QStringLiteral("HOST"), QStringLiteral("SWAP")}));
    EXPECT_EQ(back.deselect, rowOf(QStringLiteral("SWAP")));
    EXPECT_EQ(back.select, rowOf(QStringLiteral("SWAP")));

    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("HOST"))});
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\HOST\\"));
    EXPECT_EQ(m_calls.last(), QStringLiteral("all local files"));
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("HOST.LOG"))});
    EXPECT_EQ(m_calls.last(), QStringLiteral("\\HOST\\HOST.LOG"));

    // At the root, Back lists nothing new but still looks for the rows to select.
    m_explorer->TerminalBackFolder();
    const QByteArrayList before = m_server.commands();
    const TerminalExplorer::BackSelection atRoot = m_explorer->TerminalBackFolder();
    EXPECT_EQ(m_server.commands().size(), before.size());
    EXPECT_EQ(atRoot.deselect, rowOf(QStringLiteral("SWAP")));
    EXPECT_EQ(atRoot.select, -1);
}

TEST_F(TerminalExplorerTest, FolderThatCannotBeEnteredLeavesTheDirectoryAndTheList)
{
    ASSERT_TRUE(QDir(m_server.localPath(QStringLiteral("\\HOST"))).removeRecursively());
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("HOST"))});
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\"));
    EXPECT_EQ(names(), QStringList({QStringLiteral("HOST"), QStringLiteral("SWAP")}));
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpSetCurrentDirectory"));
}

TEST_F(TerminalExplorerTest, DeleteAsksOnceAndRelistsWhateverTheAnswer)
{
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("SWAP"))});
    const struct {
        const char* name;
        MessageAnswer answer;
        QStringList rows;
        QStringList left;
        const char* question;
    } cases[] = {
        {"No to one file",
         MessageAnswer::No,
         {QStringLiteral("APP.SGN")},
         {QStringLiteral("APP.SGN"), QStringLiteral("LIB.SGN")},
         "<MSG_DelFile> 'APP.SGN' ?"},
        {"Yes to two files",
         MessageAnswer::Yes,
         {QStringLiteral("APP.SGN"), QStringLiteral("LIB.SGN")},
         {},
         "<MSG_DelFiles1> 2 <MSG_DelFiles2> ?"},
    };
    for (const auto& c : cases) {
        m_world.notifier.shown.clear();
        m_world.notifier.answers = {c.answer};
        QList<int> rows;
        for (const QString& n : c.rows)
            rows << rowOf(n);
        EXPECT_TRUE(m_explorer->DeleteTerminalSelection(rows)) << c.name;
        ASSERT_EQ(m_world.notifier.shown.size(), 1u) << c.name;
        EXPECT_EQ(m_world.notifier.shown[0].text, QString::fromLatin1(c.question)) << c.name;
        EXPECT_EQ(m_world.notifier.shown[0].title, QStringLiteral("<TIT_DelFile>")) << c.name;
        EXPECT_EQ(names(), c.left) << c.name;
    }
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<TRC_DelFile><TRC_TerminalDisk>\\SWAP\\: LIB.SGN")));
    EXPECT_TRUE(m_server.readLocal(QStringLiteral("\\SWAP\\TERMINAL.CNF")) == "cnf");

    // Nothing selected: no question, no listing.
    m_world.notifier.shown.clear();
    const QByteArrayList before = m_server.commands();
    EXPECT_FALSE(m_explorer->DeleteTerminalSelection({}));
    EXPECT_TRUE(m_world.notifier.shown.empty());
    EXPECT_EQ(m_server.commands().size(), before.size());
}

TEST_F(TerminalExplorerTest, FailedDeleteIsReportedAndTheOthersStillGo)
{
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("SWAP"))});
    ASSERT_TRUE(QFile::remove(m_server.localPath(QStringLiteral("\\SWAP\\APP.SGN"))));
    m_explorer->DeleteTerminalSelection({rowOf(QStringLiteral("APP.SGN")), rowOf(QStringLiteral("LIB.SGN"))});
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpDeleteFile"));
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<FTPCmd><DelKO>")));
}

TEST_F(TerminalExplorerTest, RefreshGoesThroughTheTerminalWithTheProtocolOn)
{
    m_protocol = true;
    m_explorer->RefreshTerminalList();
    EXPECT_EQ(m_calls, QStringList({QStringLiteral("close FTP"), QStringLiteral("message 0 3")}));
    EXPECT_EQ(m_model.rowCount(), 0) << "empty until the terminal reopens the session";

    m_calls.clear();
    m_protocol = false;
    m_explorer->RefreshTerminalList();
    EXPECT_TRUE(m_calls.isEmpty());
    EXPECT_EQ(m_model.rowCount(), 2);

    m_open = false;
    m_model.clear();
    m_explorer->RefreshTerminalList();
    m_explorer->Combo3_Click();
    EXPECT_EQ(m_model.rowCount(), 0) << "nothing without a session";
}

TEST_F(TerminalExplorerTest, FilterBoxPatterns)
{
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("SWAP"))});
    m_filter = QStringLiteral("L*");
    m_explorer->Combo3_Click();
    EXPECT_EQ(names(), QStringList{QStringLiteral("LIB.SGN")});
    m_filter = QStringLiteral("Z*");
    m_explorer->Combo3_Click();
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(m_world.host.reports.empty()) << "a pattern matching nothing is no error";

    m_protocol = false;
    m_filter = QStringLiteral("   ");
    m_explorer->Combo3_Validate();
    EXPECT_EQ(m_filter, QStringLiteral("*"));
    EXPECT_EQ(names(), QStringList({QStringLiteral("APP.SGN"), QStringLiteral("LIB.SGN")}));
}

TEST_F(TerminalExplorerTest, SizeEntriesShowTheDiskAndListingsOfFiveGibibytesKeepTheirSize)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\DIRFREE.SIZ"), QByteArray()));
    QFile big(m_server.localPath(QStringLiteral("\\SWAP\\DIRECTORY.SIZ")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(5ll << 30)); // sparse: no disk space is used
    big.close();
    m_explorer->OpenTerminalItem({rowOf(QStringLiteral("SWAP"))});
    const int row = rowOf(QStringLiteral("DIRECTORY.SIZ"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(m_model.rows()[row].sizeText, QStringLiteral("5242880 Kb   "));
    m_explorer->OpenTerminalItem({row});
    ASSERT_EQ(m_world.notifier.shown.size(), 1u);
    EXPECT_EQ(m_world.notifier.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_world.notifier.shown[0].text,
              QStringLiteral("4 <MSG_SIZ_VisibleItemsIn> \\SWAP\\\r\n    <MSG_SIZ_FreeSpace>\t1 Kb"
                             "\r\n    <MSG_SIZ_UsedSpace>\t5242879 Kb\r\n    <MSG_SIZ_TotalSpace>\t5242880 Kb"));
    EXPECT_TRUE(m_calls.filter(QStringLiteral(".SIZ")).isEmpty()) << "never fetched";
}

// Names go back to the terminal as it listed them. The server answers LIST with canned lines (names no file
// system holds) and holds the files a changed name would reach instead: "LEAD.TXT" for " LEAD.TXT", "X" for
// "X<CR>Y.TXT", "A" for "A<NUL>B.TXT".
class ListedNamesTest : public ::testing::Test {
protected:
    static jvztest::FtpServerFixture::Options cannedListing()
    {
        jvztest::FtpServerFixture::Options options;
        options.cannedListing = "-rw-r--r-- 1 u g 6 Mar 01 2025  LEAD.TXT\r\n"
                                "-rw-r--r-- 1 u g 5 Mar 01 2025 LEAD.TXT\r\n"
                                "-rw-r--r-- 1 u g 6 Mar 01 2025 X\rY.TXT\r\n" +
                                QByteArray("-rw-r--r-- 1 u g 6 Mar 01 2025 A\0B.TXT\r\n", 40) +
                                "-rw-r--r-- 1 u g 6 Mar 01 2025 " + QByteArray(5000, 'L') + "\r\n" +
                                "-rw-r--r-- 1 u g 99999999999999999999 Mar 01 2025 HUGE.BIN\r\n";
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        for (const auto& [name, bytes] :
             {std::pair{" LEAD.TXT", "spaced"}, {"LEAD.TXT", "plain"}, {"X", "x"}, {"A", "a"}})
            ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\") + QLatin1String(name), bytes));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        m_world.currentTerminalDir = QStringLiteral("\\");
        m_world.batch.gBatchMode = false;
        // No FTP session for the explorer's own checks, no catalogue filters, the download activity.
        m_side.open = false;
        m_side.filters.clear();
        m_side.activity = 1;
        m_explorer = std::make_unique<TerminalExplorer>(m_ctx, m_model, m_side, m_side);
        m_explorer->relist();
    }

    QByteArrayList wire(const char* verb) const
    {
        QByteArrayList lines;
        for (const QByteArray& line : m_server.commands()) {
            if (line.startsWith(verb))
                lines << line;
        }
        return lines;
    }

    jvztest::FtpServerFixture m_server{cannedListing()};
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    TerminalListModel m_model;
    RecordedListSide m_side;
    std::unique_ptr<TerminalExplorer> m_explorer;
    QStringList& m_opened = m_side.calls;
    QList<qint64>& m_openedSizes = m_side.openedSizes; // the sizes the rows held, which bound the fetch
};

TEST_F(ListedNamesTest, RowsShowTheirTextAndTheDroppedLinesAreTraced)
{
    QStringList shown;
    for (const TerminalListRow& row : m_model.rows())
        shown << row.name;
    // The CR reaches the list as a line break: the row keeps both parts.
    EXPECT_EQ(shown, QStringList({"LEAD.TXT", "LEAD.TXT", "X\nY.TXT", "A"}));
    EXPECT_TRUE(m_world.host.traces.contains("<TRC_TerminalLineTooLong>-rw-r--r-- 1 u g 6 Mar 01 2025 " +
                                             QString(89, u'L') + "..."));
    EXPECT_TRUE(m_world.host.traces.contains(
        "<TRC_TerminalSizeTooLarge>-rw-r--r-- 1 u g 99999999999999999999 Mar 01 2025 HUGE.BIN"));
}

TEST_F(ListedNamesTest, EveryCommandSendsTheListedNameOrNothing)
{
    const QString local = QString::fromStdString(jvztest::makeScratchDir("listed")) + u'/';
    const struct {
        int row;
        const char* refusedAs; // empty: the command goes through
        const char* fetched;   // what the fetch gets
    } cases[] = {
        {0, "", "spaced"},
        {1, "", "plain"},
        {2, "X<LF>Y.TXT", ""},
        {3, "A<NUL>B.TXT", ""},
    };
    for (const auto& c : cases) {
        const TerminalListRow row = m_model.rows().at(c.row);
        SCOPED_TRACE(visibleName(row.listedName).toStdString());
        m_world.notifier.shown.clear();
        m_world.host.traces.clear();
        m_world.host.reports.clear();
        const qsizetype retrBefore = wire("RETR").size();
        // Fetch.
        const int got = UploadSelectedTerminalFiles(m_ctx, {{row.listedName, listedBytes(row.size)}}, local, {});
        // Open.
        m_opened.clear();
        m_openedSizes.clear();
        m_explorer->OpenTerminalItem({c.row});
        ASSERT_EQ(m_opened.size(), 1);
        EXPECT_EQ(m_opened[0], u'\\' + row.listedName) << "the dispatch gets the listed name";
        EXPECT_EQ(m_openedSizes, QList<qint64>{qint64(row.size)}) << "and the size its row holds";
        if (!*c.refusedAs) {
            EXPECT_EQ(got, 1);
            EXPECT_EQ(wire("RETR").mid(retrBefore), QByteArrayList{"RETR " + Cp1252::encode(row.listedName)});
            QFile fetched(local + row.listedName);
            ASSERT_TRUE(fetched.open(QIODevice::ReadOnly));
            EXPECT_EQ(fetched.readAll(), QByteArray(c.fetched));
            EXPECT_TRUE(m_world.notifier.shown.empty());
            continue;
        }
        EXPECT_EQ(got, 0);
        EXPECT_EQ(wire("RETR").size(), retrBefore) << "nothing fetched, no other file either";
        ASSERT_EQ(m_world.notifier.shown.size(), 1u);
        EXPECT_EQ(m_world.notifier.shown[0].text,
                  QStringLiteral("<MSG_TerminalNameNotSendable> '") + QLatin1String(c.refusedAs) + u'\'');
        EXPECT_TRUE(
            m_world.host.traces.contains(QStringLiteral("<TRC_TerminalNameRefused>") + QLatin1String(c.refusedAs)));
        EXPECT_TRUE(m_world.host.reports.empty());
        // Delete.
        m_world.notifier.shown.clear();
        EXPECT_FALSE(m_explorer->DeleteTerminalFile(row.listedName));
        EXPECT_EQ(m_world.notifier.shown.size(), 1u);
    }
    EXPECT_FALSE(QFile::exists(local + "X")) << "the CR name never fetched the file X";
    EXPECT_FALSE(QFile::exists(local + "A"));

    // Delete the spaced one: the plain one stays.
    m_world.notifier.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(m_explorer->DeleteTerminalSelection({0}));
    EXPECT_TRUE(wire("DELE").contains("DELE  LEAD.TXT"));
    EXPECT_FALSE(QFile::exists(m_server.localPath(" LEAD.TXT")));
    EXPECT_EQ(m_server.readLocal("LEAD.TXT"), QByteArray("plain"));
    EXPECT_TRUE(QFile::exists(m_server.localPath("X")));
    EXPECT_TRUE(QFile::exists(m_server.localPath("A")));
}

} // namespace
