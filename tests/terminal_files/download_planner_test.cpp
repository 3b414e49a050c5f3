// The interactive download: the first pass (what is checked, asked and counted before anything is sent)
// and the second (the files put in order), against a real FTP server on loopback.
#include "FtpServerFixture.h"
#include "SpecialFiles.h"
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/DownloadPlanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const QByteArray kActivity = "[exchange]\r\nDisk free size=10000000\r\n";

LocalSelectedItem list(const char* name)
{
    return {QString::fromLatin1(name), QStringLiteral("CatFile")};
}

LocalSelectedItem file(const char* name, const char* image = "Unknown")
{
    return {QString::fromLatin1(name), QString::fromLatin1(image)};
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), kActivity));
        ASSERT_TRUE(QDir().mkpath(m_server.localPath(QStringLiteral("\\HOST"))));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        m_world.batch.gBatchMode = false;
        m_local = jvztest::scratchFolder("local");
        m_request.localFolder = m_local;
        m_baseline = m_server.commands().size();
    }

    void local(const QString& name, const QByteArray& bytes) { jvztest::writeFile(m_local + name, bytes); }
    void local(const char* name, qsizetype size)
    {
        local(QString::fromLatin1(name), jvztest::patternBytes(size, size));
    }
    void listFile(const char* name, const QStringList& lines)
    {
        local(QString::fromLatin1(name), (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    }

    QByteArrayList stores() const
    {
        QByteArrayList s;
        for (const QByteArray& c : m_server.commands().mid(m_baseline))
            if (c.startsWith("STOR") || c.startsWith("CWD") || c.startsWith("RNFR") || c.startsWith("RNTO"))
                s << c;
        return s;
    }

    QStringList putNames(const DownloadPlan& plan) const
    {
        QStringList names;
        for (const DownloadStep& s : plan.steps)
            names << (s.kind == DownloadStep::Kind::Put ? s.name : QStringLiteral("-e") + s.directory);
        return names;
    }

    static qsizetype countContaining(const QByteArrayList& lines, const QByteArray& part)
    {
        return std::count_if(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.contains(part); });
    }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto& s : m_world.notifier.shown)
            texts << s.text;
        return texts;
    }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    QString m_local;
    DownloadRequest m_request;
    qsizetype m_baseline = 0;
};

TEST_F(DownloadTest, ConfirmationIsAskedOnceAndCancelSendsNothing)
{
    local("A.SGN", 10);
    listFile("ONE.M40", {QStringLiteral("A.SGN")});
    listFile("TWO.M40", {QStringLiteral("A.SGN")});
    m_request.items = {list("ONE.M40"), list("TWO.M40")};
    m_request.confirmations.other = true;
    const struct {
        MessageAnswer answer;
        DownloadPlan::Outcome outcome;
    } cases[] = {{MessageAnswer::Cancel, DownloadPlan::Outcome::Cancelled},
                 {MessageAnswer::Ok, DownloadPlan::Outcome::Send}};
    for (const auto& c : cases) {
        m_world.notifier.shown.clear();
        m_world.notifier.answers = {c.answer};
        const DownloadPlan plan = planDownload(m_ctx, m_request);
        EXPECT_EQ(plan.outcome, c.outcome);
        ASSERT_EQ(m_world.notifier.shown.size(), 1u);
        EXPECT_EQ(m_world.notifier.shown[0].text,
                  QStringLiteral("<MSG_ConfirmOtherCatDL>\r\n\r\n<MSG_ConfirmThisOperation>"));
        EXPECT_EQ(m_world.notifier.shown[0].title, QStringLiteral("<TIT_ConfirmCatDL>"));
        EXPECT_EQ(m_world.notifier.shown[0].buttons, MessageButtons::OkCancel);
    }
    m_world.notifier.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(DownloadSelectedCatalogues(m_ctx, m_request, {})) << "no relist after a Cancel";
    EXPECT_TRUE(stores().isEmpty());
}

TEST_F(DownloadTest, QuestionsFollowTheNameAndTheSettings)
{
    local("A.SGN", 10);
    const struct {
        const char* list;
        DownloadConfirmations confirm;
        const char* question; // empty: none
    } cases[] = {
        {"MOCKUP_LOAD.M40", {true, true, true}, "<MSG_ConfirmMockupCatDL>"},
        {"MOCKUP_PROD.M40", {false, true, true}, ""},
        {"prod_load.m40", {true, true, false}, "<MSG_ConfirmProdCatDL>"},
        {"LOAD.M40", {true, true, false}, ""},
    };
    for (const auto& c : cases) {
        listFile(c.list, {QStringLiteral("A.SGN")});
        m_request.items = {list(c.list)};
        m_request.confirmations = c.confirm;
        m_world.notifier.shown.clear();
        planDownload(m_ctx, m_request);
        const QString expected = QString::fromLatin1(c.question);
        if (expected.isEmpty()) {
            EXPECT_TRUE(m_world.notifier.shown.empty()) << c.list;
        } else {
            EXPECT_TRUE(shownTexts().value(0).startsWith(expected)) << c.list;
        }
    }
}

TEST_F(DownloadTest, FirstPassRefusals)
{
    local("A.SGN", 10);
    listFile("APP.m40", {QStringLiteral("A.SGN")});
    listFile("LOAD.ALX", {QStringLiteral("A.SGN")});
    listFile("NET.M40", {QStringLiteral("\\\\server\\share\\A.SGN")});
    listFile("GONE.M40", {QStringLiteral("MISSING.SGN")});
    const struct {
        LocalSelectedItem item;
        DownloadPlan::Outcome outcome;
        QString message;
    } cases[] = {
        {list("APP.m40"), DownloadPlan::Outcome::Send, {}},
        {list("LOAD.ALX"), DownloadPlan::Outcome::Refused,
         m_local + QStringLiteral("LOAD.ALX\r\n<MSG_CatalogueFileNotAdapted>")},
        {list("NET.M40"), DownloadPlan::Outcome::Refused,
         QStringLiteral("\\\\server\\share\\A.SGN : <MSG_NetworkFileDenied>")},
        {list("GONE.M40"), DownloadPlan::Outcome::Refused,
         m_local + QStringLiteral("MISSING.SGN : <MSG_FileNotFound>")},
        {file("FOLDER", "ClsFolder"), DownloadPlan::Outcome::NothingToSend, {}},
    };
    for (const auto& c : cases) {
        m_world.notifier.shown.clear();
        m_request.items = {c.item};
        const DownloadPlan plan = planDownload(m_ctx, m_request);
        EXPECT_EQ(plan.outcome, c.outcome) << c.item.text.toStdString();
        EXPECT_EQ(shownTexts(), c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.item.text.toStdString();
    }
    // A refused selection is relisted; nothing was sent.
    m_request.items = {list("APP.m40"), list("LOAD.ALX")};
    EXPECT_TRUE(DownloadSelectedCatalogues(m_ctx, m_request, {}));
    EXPECT_TRUE(stores().isEmpty());
}

TEST_F(DownloadTest, MaintenanceKeepsDescriptorsAndSignaturesBack)
{
    const struct {
        const char* name;
        bool keptBack;
    } names[] = {{"APP.ADF", true},  {"APP.SGN", true},  {"APP.AGN", true}, {"APP.DF", false},
                 {"APP.adf", false}, {"APP.BIN", false}, {"ADF", false}};
    for (const auto& n : names)
        EXPECT_EQ(maintenanceKeepsBack(QString::fromLatin1(n.name)), n.keptBack) << n.name;

    for (const char* name : {"APP.ADF", "APP.SGN", "APP.AGN", "APP.DF", "SINGLE.SGN"})
        local(name, 10);
    listFile("LOAD.M40", {QStringLiteral("APP.ADF"), QStringLiteral("APP.SGN"), QStringLiteral("APP.AGN"),
                          QStringLiteral("APP.DF")});
    m_request.items = {list("LOAD.M40"), file("SINGLE.SGN")};
    m_request.activity = 3;
    const DownloadPlan plan = planDownload(m_ctx, m_request);
    EXPECT_EQ(plan.outcome, DownloadPlan::Outcome::Send);
    EXPECT_TRUE(plan.maintenanceHeld);
    EXPECT_EQ(plan.count, 1);
    EXPECT_EQ(putNames(plan), QStringList{QStringLiteral("APP.DF")});
    EXPECT_EQ(m_world.session.swapTotalSize, 10);

    m_request.activity = 1;
    EXPECT_EQ(planDownload(m_ctx, m_request).count, 5);
}

TEST_F(DownloadTest, DirectoryLinesDecideWhatCountsForTheExchangeDirectory)
{
    local("A.SGN", 100);
    local("B.SGN", 1000);
    local("C.SGN", 10);
    listFile("ONE.M40",
             {QStringLiteral("-eSWAP"), QStringLiteral("A.SGN"), QStringLiteral("-eHOST"), QStringLiteral("B.SGN")});
    listFile("TWO.M40", {QStringLiteral("; comment"), QStringLiteral("C.SGN")});
    m_request.items = {list("ONE.M40"), list("TWO.M40")};
    const DownloadPlan plan = planDownload(m_ctx, m_request);
    EXPECT_EQ(plan.count, 3);
    EXPECT_EQ(m_world.session.swapTotalSize, 100) << "the HOST line holds for the next list too";
    EXPECT_EQ(putNames(plan), QStringList({QStringLiteral("-eSWAP"), QStringLiteral("A.SGN"), QStringLiteral("-eHOST"),
                                           QStringLiteral("B.SGN"), QStringLiteral("C.SGN")}));
}

TEST_F(DownloadTest, FreeSpaceOfTheExchangeDirectory)
{
    local("A.SGN", 100);
    listFile("LOAD.M40", {QStringLiteral("A.SGN")});
    m_request.items = {list("LOAD.M40")};
    const struct {
        const char* name;
        QByteArray activity;
        QString terminalDir;
        DownloadPlan::Outcome outcome;
        bool fetched;
    } cases[] = {
        {"missing key reads as no space", "[exchange]\r\n", QStringLiteral("\\SWAP\\"),
         DownloadPlan::Outcome::NoSwapSpace, true},
        {"just enough", "[exchange]\r\nDisk free size=100\r\n", QStringLiteral("\\SWAP\\"), DownloadPlan::Outcome::Send,
         true},
        {"too little", "[exchange]\r\nDisk free size=99\r\n", QStringLiteral("\\SWAP\\"),
         DownloadPlan::Outcome::NoSwapSpace, true},
        {"not in an exchange directory", "[exchange]\r\n", QStringLiteral("\\HOST\\"), DownloadPlan::Outcome::Send,
         false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), c.activity));
        m_world.session.swapTotalSize = 0;
        m_world.session.swapUnchecked = true;
        m_world.currentTerminalDir = c.terminalDir;
        m_world.notifier.shown.clear();
        const qsizetype before = m_server.commands().size();
        const DownloadPlan plan = planDownload(m_ctx, m_request);
        EXPECT_EQ(plan.outcome, c.outcome) << c.name;
        EXPECT_EQ(countContaining(m_server.commands().mid(before), "ACTIVITY.INF") > 0, c.fetched) << c.name;
        EXPECT_EQ(shownTexts().contains(QStringLiteral("<MSG_SwapSpace>")),
                  c.outcome == DownloadPlan::Outcome::NoSwapSpace)
            << c.name;
    }
    // Once read for the connection, the space is not compared again.
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=100\r\n"));
    m_world.currentTerminalDir = QStringLiteral("\\SWAP\\");
    m_world.session.swapTotalSize = 0;
    m_world.session.swapUnchecked = true;
    EXPECT_EQ(planDownload(m_ctx, m_request).outcome, DownloadPlan::Outcome::Send);
    const qsizetype before = m_server.commands().size();
    EXPECT_EQ(planDownload(m_ctx, m_request).outcome, DownloadPlan::Outcome::Send);
    EXPECT_EQ(m_world.session.swapTotalSize, 200);
    EXPECT_EQ(countContaining(m_server.commands().mid(before), "ACTIVITY.INF"), 0);
}

TEST_F(DownloadTest, SecondPassPutsEveryFileInOrderWhereTheListsSay)
{
    const QByteArray app = jvztest::patternBytes(3000, 1);
    const QByteArray cfg = jvztest::patternBytes(500, 2);
    const QByteArray single = jvztest::patternBytes(700, 3);
    local(QStringLiteral("sub/app.sgn"), app);
    local(QStringLiteral("host.cfg"), cfg);
    local(QStringLiteral("single.bin"), single);
    listFile("LOAD.M40", {QStringLiteral("-eSWAP"), QStringLiteral("sub\\app.sgn"), QStringLiteral("-eHOST"),
                          QStringLiteral("host.cfg")});
    m_request.items = {list("LOAD.M40"), file("single.bin")};
    QStringList captions;
    EXPECT_TRUE(DownloadSelectedCatalogues(
        m_ctx, m_request,
        {.sessionOpen = [] { return true; }, .setStatusBar4 = [&](const QString& t) { captions << t; }}));
    EXPECT_EQ(stores(),
              QByteArrayList({"CWD ..\\SWAP", "STOR APP.SGN", "CWD ..\\HOST", "STOR HOST.CFG", "STOR SINGLE.BIN"}));
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\HOST\\HOST.CFG")), cfg);
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\HOST\\SINGLE.BIN")), single);
    EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\HOST\\"));
    EXPECT_EQ(captions.last(), QStringLiteral("<TerminalContent>'\\HOST\\'"));
    EXPECT_EQ(m_world.host.traces.first(),
              QStringLiteral("<TRC_DownloadedFile><TRC_TerminalDisk>\\HOST\\: single.bin"));
    EXPECT_TRUE(
        m_world.host.traces.contains(QStringLiteral("<TRC_DownloadedFile><TRC_TerminalDisk>\\SWAP\\: sub\\app.sgn")));
    EXPECT_EQ(m_world.host.progress.total, 3);
    EXPECT_EQ(m_world.host.progress.unloads, 1);
}

TEST_F(DownloadTest, DescriptorSourcesGoStraightUnderTheirTargetNames)
{
    m_world.identity.productCode = QStringLiteral("M40");
    const QByteArray app = jvztest::patternBytes(800, 4);
    const QByteArray lib = jvztest::patternBytes(900, 5);
    local(QStringLiteral("bin/app.sgn"), app);
    local(QStringLiteral("LIB.SGN.d/lib.sgn"), lib);
    local(QStringLiteral("DESCRIPTOR.XML"),
          "<PACKAGE name=\"demo\" technology=\"MORVIX\">\r\n<application productCode=\"M40\">\r\n"
          "<codeFile>\r\n<target location=\"RENAMED.SGN\"/>\r\n<source location=\"bin/app.sgn\"/>\r\n</codeFile>\r\n"
          "<codeFile>\r\n<target location=\"LIB.SGN\"/>\r\n<source location=\"LIB.SGN.d\\lib.sgn\"/>\r\n"
          "</codeFile>\r\n</application>\r\n</PACKAGE>\r\n");
    m_request.items = {file("DESCRIPTOR.XML")};
    EXPECT_TRUE(DownloadSelectedCatalogues(m_ctx, m_request, {}));
    EXPECT_EQ(stores(), QByteArrayList({"STOR RENAMED.SGN", "STOR LIB.SGN"}));
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\RENAMED.SGN")), app);
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\LIB.SGN")), lib);
    EXPECT_TRUE(QDir(m_world.tempFolder).entryList(QDir::Files).filter(QStringLiteral(".SGN")).isEmpty())
        << "no copy named after the target";
    EXPECT_TRUE(QFile::exists(m_local + QStringLiteral("bin/app.sgn")));
}

// A local name with a character the terminal's code page lacks would go with '?' in its place: Zhe and Ya
// would both land on "?.SGN", the second over the first; a decomposed accent would give "CAFE?.SGN". Each
// such put is refused before any command for it, with its own box; the walk goes on to the sound file.
TEST_F(DownloadTest, NamesWithoutAnExactTerminalNameAreNeverSent)
{
    const QString zhe = QString::fromUtf8("\u0416.SGN");
    const QString ya = QString::fromUtf8("\u042F.SGN");
    const QString decomposed = QString::fromUtf8("cafe\u0301.sgn");
    const QString longName = QString::fromUtf8("component_\u0416_long.sgn"); // the temporary name's road
    const QString kelvin = QString::fromUtf8("\u212A.SGN"); // what the list's "K.SGN" finds in another case
    for (const QString& name : {zhe, ya, decomposed, longName, kelvin})
        local(name, jvztest::patternBytes(40, int(name.size())));
    const QByteArray sound = jvztest::patternBytes(300, 7);
    local(QStringLiteral("SOUND.SGN"), sound);
    listFile("LOAD.M40", {QStringLiteral("K.SGN"), QStringLiteral("SOUND.SGN")});
    const QStringList before = QDir(m_server.localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files);
    const auto single = [](const QString& name) { return LocalSelectedItem{name, QStringLiteral("Unknown")}; };
    m_request.items = {single(zhe), single(ya), single(decomposed), single(longName), list("LOAD.M40")};

    EXPECT_TRUE(
        DownloadSelectedCatalogues(m_ctx, m_request, {.sessionOpen = [] { return true; }, .setStatusBar4 = {}}));

    EXPECT_EQ(stores(), QByteArrayList{"STOR SOUND.SGN"});
    for (const QByteArray& command : m_server.commands().mid(m_baseline))
        EXPECT_FALSE(command.contains('?') || command.contains("CAFE") || command.contains("COMPONENT"))
            << command.toStdString();
    QStringList after = before;
    after << QStringLiteral("SOUND.SGN");
    after.sort();
    EXPECT_EQ(QDir(m_server.localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files, QDir::Name), after);
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\SOUND.SGN")), sound);
    QStringList refusals;
    for (const QString& name : {zhe, ya, decomposed, longName, kelvin})
        refusals << m_local + name + QStringLiteral(" : <MSG_LocalNameNotSendable>");
    EXPECT_EQ(shownTexts(), refusals);
    for (const QString& name : {zhe, ya, decomposed, longName, kelvin})
        EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<TRC_LocalNameRefused>") + m_local + name))
            << name.toStdString();
    EXPECT_TRUE(m_world.host.reports.empty()) << "no FTP error: nothing was tried";
    EXPECT_EQ(m_world.host.progress.total, 6);
    EXPECT_EQ(m_world.host.progress.files.size(), 6) << "each file had its turn in the copy window";
}

// A FIFO where a selected file should be (with no writer, its open would wait for ever) is a file that is not
// there: its put fails at once with nothing sent for it, the session stays and the next file goes.
TEST_F(DownloadTest, FifoSelectedForDownloadFailsAsAMissingFileAndTheNextFileGoes)
{
    ASSERT_TRUE(jvztest::makeFifo((m_local + QStringLiteral("PIPE.SGN")).toStdString()));
    const QByteArray sound = jvztest::patternBytes(300, 7);
    local(QStringLiteral("SOUND.SGN"), sound);
    const auto single = [](const QString& name) { return LocalSelectedItem{name, QStringLiteral("Unknown")}; };
    m_request.items = {single(QStringLiteral("PIPE.SGN")), single(QStringLiteral("SOUND.SGN"))};

    QElapsedTimer clock;
    clock.start();
    DownloadSelectedCatalogues(m_ctx, m_request, {.sessionOpen = [] { return true; }, .setStatusBar4 = {}});
    EXPECT_LT(clock.elapsed(), 1000);

    EXPECT_EQ(stores(), QByteArrayList{"STOR SOUND.SGN"});
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\SOUND.SGN")), sound);
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports.front().operation, QStringLiteral("FtpPutFile"));
    EXPECT_EQ(m_world.host.reports.front().error, FtpError::FileNotFound);
    EXPECT_TRUE(m_client.isOpen());
}

TEST_F(DownloadTest, TransferStopsOnceWhenTheSessionClosesAndOnAFailedDirectoryChange)
{
    local("A.SGN", 10);
    local("B.SGN", 10);
    listFile("LOAD.M40", {QStringLiteral("A.SGN"), QStringLiteral("B.SGN")});
    listFile("BAD.M40", {QStringLiteral("-eNOSUCH"), QStringLiteral("A.SGN")});
    m_request.items = {list("LOAD.M40")};
    EXPECT_FALSE(
        DownloadSelectedCatalogues(m_ctx, m_request, {.sessionOpen = [] { return false; }, .setStatusBar4 = {}}));
    EXPECT_EQ(stores(), QByteArrayList{"STOR A.SGN"});
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("<MSG_TerminalSessionClosed>")});
    EXPECT_EQ(m_world.host.progress.unloads, 1);

    m_request.items = {list("BAD.M40")};
    EXPECT_FALSE(DownloadSelectedCatalogues(m_ctx, m_request, {}));
    ASSERT_FALSE(m_world.host.reports.empty());
    EXPECT_EQ(m_world.host.reports.back().operation, QStringLiteral("FtpSetCurrentDirectory"));
    EXPECT_EQ(countContaining(stores(), "STOR"), 1);
}

} // namespace
