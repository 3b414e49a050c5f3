// The unattended download, delete and upload of a catalogue list against a real FTP server on 127.0.0.1
// playing a terminal of product code M40 whose exchange directory is SWAP.
#include "FtpServerFixture.h"
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/CatalogBatchActions.h"
#include "terminal_files/TerminalFetch.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::anyCommandStartsWith;
using jvztest::patternBytes;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

class BatchTransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        setDiskFreeSize("10000000");
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\.keep"), QByteArray()));
        // The session opened FTP and went to the terminal folder, as it does before any batch action.
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        m_sessionCommands = m_server.commands().size();
        m_catalog = scratchFolder("catalog");
    }

    void setDiskFreeSize(const QByteArray& value)
    {
        ASSERT_TRUE(m_server.putLocal(
            QStringLiteral("\\SWAP\\ACTIVITY.INF"),
            "[Running Component List]\r\nfilename=LIST.TXT\r\n[exchange]\r\nDisk free size=" + value + "\r\n"));
    }

    // A list in the catalogue folder; lines joined with the given line end.
    QString writeList(const QString& name, const QStringList& lines, const char* lineEnd = "\r\n")
    {
        const QString path = m_catalog + name;
        writeFile(path, lines.join(QString::fromLatin1(lineEnd)).toLatin1() + lineEnd);
        return path;
    }

    QByteArray addLocalFile(const QString& relativePath, qsizetype size)
    {
        const QByteArray bytes = patternBytes(size, int(qHash(relativePath) & 0xFFFF));
        writeFile(m_catalog + relativePath, bytes);
        return bytes;
    }

    // What the action sent, after the session's own login and directory change.
    QByteArrayList actionCommands() const { return m_server.commands().mid(m_sessionCommands); }

    QStringList serverFiles(const char* folder) const
    {
        QStringList files = QDir(m_server.localPath(QString::fromLatin1(folder))).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        return files;
    }

    BatchRun& batch() { return m_world.batch; }
    void resetSwapForTest() { resetSwapBookkeeping(m_world.session); }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    qsizetype m_sessionCommands = 0;
    QString m_catalog;
};

TEST_F(BatchTransferTest, ListsForTheTerminalOrForAnyArriveWholeUnderUpperCasedNames)
{
    const QString absoluteFolder = scratchFolder("elsewhere");
    for (const char* listName : {"LOAD.M40", "LOAD.ALX"}) {
        SCOPED_TRACE(listName);
        // Emptied, not removed: the server may be sitting in it.
        for (const QString& name : serverFiles("\\SWAP"))
            QFile::remove(m_server.localPath(QStringLiteral("\\SWAP\\") + name));
        setDiskFreeSize("10000000");
        const QByteArray app = addLocalFile(QStringLiteral("app.sgn"), 65536);
        const QByteArray lib = addLocalFile(QStringLiteral("sub/lib.sgn"), 1000);
        const QByteArray longName = addLocalFile(QStringLiteral("a_long_component_name.agn"), 300000);
        const QByteArray outside = patternBytes(4096, 99);
        writeFile(absoluteFolder + QStringLiteral("abs.dat"), outside);
        const QString list =
            writeList(QString::fromLatin1(listName), {";Load of the demo", "-eSWAP", "app.sgn", "sub\\lib.sgn",
                                                      "a_long_component_name.agn", absoluteFolder + "abs.dat"});
        resetSwapForTest();
        batch().reset();
        EXPECT_EQ(DownloadCatalogFile(m_ctx, list), 0);

        EXPECT_EQ(batch().gErrorCode, 0) << batch().gErrorText.toStdString();
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\LIB.SGN")), lib);
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\A_LONG_COMPONENT_NAME.AGN")), longName);
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\ABS.DAT")), outside);
        EXPECT_EQ(serverFiles("\\SWAP"),
                  (QStringList{"ABS.DAT", "ACTIVITY.INF", "APP.SGN", "A_LONG_COMPONENT_NAME.AGN", "LIB.SGN"}));
        EXPECT_EQ(m_world.host.progress.total, 4);
        EXPECT_EQ(m_world.currentTerminalDir, QStringLiteral("\\SWAP\\"));
        EXPECT_EQ(m_world.session.swapTotalSize, 65536 + 1000 + 300000 + 4096);
        EXPECT_GE(m_world.host.progress.unloads, 1);
    }
}

// A list's own names are Windows-1252, but the local file found for a line in another case may not be: "K"
// finds the Kelvin sign, "µ" the Greek mu. Neither goes to the terminal as "?": each put is refused with a
// trace line and the result, the walk goes on, and the upload asks for no such name either.
TEST_F(BatchTransferTest, LocalNamesWithoutAnExactTerminalNameAreRefusedAndTheWalkGoesOn)
{
    const QString kelvin = QString::fromUtf8("\u212A.SGN");
    const QString mu = QString::fromUtf8("APP\u03BC.SGN");
    addLocalFile(kelvin, 20);
    addLocalFile(mu, 30);
    const QByteArray sound = addLocalFile(QStringLiteral("SOUND.SGN"), 400);
    const QString list =
        writeList(QStringLiteral("LOAD.M40"), {"K.SGN", QString::fromUtf8("APP\u00B5.SGN"), "SOUND.SGN"});
    const QStringList refusals = {m_catalog + kelvin + QStringLiteral(" : <MSG_LocalNameNotSendable>"),
                                  m_catalog + mu + QStringLiteral(" : <MSG_LocalNameNotSendable>")};

    EXPECT_EQ(DownloadCatalogFile(m_ctx, list), 0);
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::TerminalFileOrSpace));
    EXPECT_EQ(batch().gErrorText, refusals.join(QStringLiteral("\r\n")));
    EXPECT_EQ(serverFiles("\\SWAP"), (QStringList{"ACTIVITY.INF", "SOUND.SGN"}));
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\SOUND.SGN")), sound);
    for (const QByteArray& command : actionCommands())
        EXPECT_FALSE(command.contains('?') || command.startsWith("RNFR")) << command.toStdString();
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<TRC_LocalNameRefused>") + m_catalog + kelvin));
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<TRC_LocalNameRefused>") + m_catalog + mu));
    ASSERT_EQ(m_world.notifier.shown.size(), 2u) << "the batch notifier writes them and waits for no one";
    EXPECT_EQ(m_world.notifier.shown[1].text, refusals[1]);

    batch().reset();
    m_world.notifier.shown.clear();
    const qsizetype uploadStart = m_server.commands().size();
    EXPECT_EQ(UploadCatalogFile(m_ctx, list), 0);
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::TerminalFileOrSpace));
    EXPECT_EQ(m_world.notifier.shown.size(), 2u);
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("SOUND.SGN")), sound);
    for (const QByteArray& command : m_server.commands().mid(uploadStart))
        EXPECT_FALSE(command.contains('?')) << command.toStdString();
}

TEST_F(BatchTransferTest, ListForAnotherProductSendsNoCommand)
{
    addLocalFile(QStringLiteral("app.sgn"), 10);
    const QString list = writeList(QStringLiteral("LOAD.M41"), {"app.sgn"});
    EXPECT_EQ(DownloadCatalogFile(m_ctx, list), 0);
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::CatalogueNotAdapted));
    EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_CatalogueFileNotAdapted>\r\n") + list);
    EXPECT_TRUE(actionCommands().isEmpty()) << actionCommands().join(' ').toStdString();
}

TEST_F(BatchTransferTest, MissingLocalFileStopsBeforeAnyPut)
{
    addLocalFile(QStringLiteral("first.sgn"), 10);
    const QString list = writeList(QStringLiteral("LOAD.M40"), {"first.sgn", "sub\\second.sgn", "third.sgn"});
    EXPECT_EQ(DownloadCatalogFile(m_ctx, list), 0);
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::TerminalFileOrSpace));
    EXPECT_EQ(batch().gErrorText, m_catalog + QStringLiteral("sub/second.sgn : <MSG_FileNotFound>"));
    EXPECT_FALSE(anyCommandStartsWith(actionCommands(), "STOR"));
    EXPECT_FALSE(anyCommandStartsWith(actionCommands(), "CWD"));
}

TEST_F(BatchTransferTest, FreeSpaceOfTheExchangeDirectory)
{
    struct Case {
        const char* name;
        QByteArray activityValue; // empty: no ACTIVITY.INF on the terminal
        QStringList lines;
        int16_t code;
    } const cases[] = {
        {"too small", "1000", {"big.sgn"}, int16_t(BatchCode::TerminalFileOrSpace)},
        {"missing key reads as no space", "\r\n[other]\r\nx=1", {"big.sgn"}, int16_t(BatchCode::TerminalFileOrSpace)},
        {"exactly enough", "5000", {"big.sgn"}, 0},
        {"beyond 32 bits", "6000000000", {"big.sgn"}, 0},
        {"files for another directory are not counted", "1000", {"-eHOST", "big.sgn"}, 0},
        {"no activity file: no check", "", {"big.sgn"}, 0},
    };
    addLocalFile(QStringLiteral("big.sgn"), 5000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.activityValue.isEmpty())
            QFile::remove(m_server.localPath(QStringLiteral("\\SWAP\\ACTIVITY.INF")));
        else
            setDiskFreeSize(c.activityValue);
        QFile::remove(m_server.localPath(QStringLiteral("\\SWAP\\BIG.SGN")));
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        batch().reset();
        batch().gTerminalDir = QStringLiteral("SWAP");
        m_world.currentTerminalDir = QStringLiteral("\\SWAP\\");
        resetSwapForTest();
        const qsizetype before = m_server.commands().size();

        DownloadCatalogFile(m_ctx, writeList(QStringLiteral("LOAD.M40"), c.lines));

        const QByteArrayList sent = m_server.commands().mid(before);
        EXPECT_EQ(batch().gErrorCode, c.code) << batch().gErrorText.toStdString();
        EXPECT_EQ(sent.count("RETR \\SWAP\\ACTIVITY.INF"), 1); // fetched once
        EXPECT_EQ(anyCommandStartsWith(sent, "STOR"), c.code == 0);
        if (c.code != 0) {
            EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_SwapSpace>"));
        }
        EXPECT_EQ(m_world.session.swapUnchecked, c.activityValue.isEmpty());
    }
}

TEST_F(BatchTransferTest, FreeSpaceIsComparedOncePerSession)
{
    setDiskFreeSize("6000");
    addLocalFile(QStringLiteral("big.sgn"), 5000);
    const QString list = writeList(QStringLiteral("LOAD.M40"), {"big.sgn"});
    resetSwapForTest();
    DownloadCatalogFile(m_ctx, list);
    EXPECT_EQ(batch().gErrorCode, 0);
    // The same connection again: neither fetched nor compared, though the total now exceeds the space.
    const qsizetype before = m_server.commands().size();
    DownloadCatalogFile(m_ctx, list);
    EXPECT_EQ(batch().gErrorCode, 0);
    EXPECT_FALSE(m_server.commands().mid(before).contains("RETR \\SWAP\\ACTIVITY.INF"));
    EXPECT_EQ(m_world.session.swapTotalSize, 10000);
}

TEST_F(BatchTransferTest, CancelStopsAfterTheFileInFlight)
{
    addLocalFile(QStringLiteral("one.sgn"), 100);
    addLocalFile(QStringLiteral("two.sgn"), 100);
    addLocalFile(QStringLiteral("three.sgn"), 100);
    m_world.host.progress.cancelAfterFiles = 1;
    resetSwapForTest();
    DownloadCatalogFile(m_ctx, writeList(QStringLiteral("LOAD.M40"), {"one.sgn", "two.sgn", "three.sgn"}));

    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::TransferCancelled));
    EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_TransferCancelled>"));
    EXPECT_EQ(serverFiles("\\SWAP"), (QStringList{"ACTIVITY.INF", "ONE.SGN"}));
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<MSG_TransferCancelled>")));
    EXPECT_EQ(m_world.host.progress.unloads, 1);
}

TEST_F(BatchTransferTest, DeletesOfAbsentFilesAccumulateTheFtpTexts)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\PRESENT.SGN"), "x"));
    const QString list = writeList(QStringLiteral("DEL.M40"), {"absent1.sgn", "present.sgn", "C:\\X\\absent2.sgn"});
    batch().gErrorText = QStringLiteral("earlier text");
    EXPECT_EQ(DeleteCatalogFile(m_ctx, list), 0);

    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    const QStringList lines = batch().gErrorText.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << batch().gErrorText.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("FtpDeleteFile 12003: 550"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("FtpDeleteFile 12003: 550"))) << lines[1].toStdString();
    EXPECT_FALSE(batch().gErrorText.contains(QStringLiteral("<MSG_AllDelFile>")));
    QByteArrayList deletes;
    for (const QByteArray& line : actionCommands())
        if (line.startsWith("DELE"))
            deletes.append(line);
    EXPECT_EQ(deletes, (QByteArrayList{"DELE ABSENT1.SGN", "DELE PRESENT.SGN", "DELE ABSENT2.SGN"}));
    EXPECT_FALSE(serverFiles("\\SWAP").contains(QStringLiteral("PRESENT.SGN")));
}

TEST_F(BatchTransferTest, DeleteOfPresentFilesSaysAllDeleted)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), "x"));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\DATA.DAT"), "y"));
    DeleteCatalogFile(m_ctx, writeList(QStringLiteral("DEL.M40"), {";c", "app.sgn", "-ehost", "data.dat"}));
    EXPECT_EQ(batch().gErrorCode, 0);
    EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_AllDelFile>"));
    EXPECT_EQ(batch().gTerminalDir, QStringLiteral("HOST"));
    EXPECT_TRUE(actionCommands().contains("CWD ..\\HOST"));
    EXPECT_EQ(serverFiles("\\SWAP"), QStringList{"ACTIVITY.INF"});
    EXPECT_EQ(serverFiles("\\HOST"), QStringList{".keep"});
}

TEST_F(BatchTransferTest, DeleteOverANetworkLinkFirstEntersSwap)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), "x"));
    ASSERT_EQ(m_client.setCurrentDirectory("\\"), FtpError::None);
    const qsizetype before = m_server.commands().size();
    batch().gSerialLink = false;
    DeleteCatalogFile(m_ctx, writeList(QStringLiteral("DEL.M40"), {"app.sgn"}));
    EXPECT_EQ(batch().gErrorCode, 0) << batch().gErrorText.toStdString();
    EXPECT_EQ(m_server.commands().mid(before), (QByteArrayList{"CWD SWAP", "DELE APP.SGN"}));
}

TEST_F(BatchTransferTest, UploadWritesTheListedFilesIntoTheListsFolders)
{
    const QByteArray app = patternBytes(70000, 1);
    const QByteArray data = patternBytes(1234, 2);
    const QByteArray host = patternBytes(99999, 3);
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), app));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\DATA.DAT"), data));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\HOSTFILE.BIN"), host));
    QDir().mkpath(m_catalog + QStringLiteral("sub"));
    const QString list =
        writeList(QStringLiteral("UP.M40"), {"app.sgn", "sub\\data.dat", "-eHOST", "HOSTFILE.BIN"}, "\n");
    EXPECT_EQ(UploadCatalogFile(m_ctx, list), 0);

    EXPECT_EQ(batch().gErrorCode, 0) << batch().gErrorText.toStdString();
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("app.sgn")), app);
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("sub/data.dat")), data);
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("HOSTFILE.BIN")), host);
    EXPECT_EQ(m_world.host.progress.total, 3);
    EXPECT_EQ(m_world.host.progress.from, QStringLiteral("\\SWAP\\"));
}

TEST_F(BatchTransferTest, UploadIntoAMissingFolderFailsThatFileOnly)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\A.SGN"), "a"));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\B.SGN"), "b"));
    UploadCatalogFile(m_ctx, writeList(QStringLiteral("UP.M40"), {"nofolder\\a.sgn", "b.sgn"}));
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    EXPECT_FALSE(QFileInfo::exists(m_catalog + QStringLiteral("nofolder")));
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("b.sgn")), "b");
}

TEST_F(BatchTransferTest, UploadCancelKeepsWhatArrived)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\A.SGN"), "a"));
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\B.SGN"), "b"));
    m_world.host.progress.cancelAfterFiles = 1;
    UploadCatalogFile(m_ctx, writeList(QStringLiteral("UP.M40"), {"a.sgn", "b.sgn"}));
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::TransferCancelled));
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("a.sgn")), "a");
    EXPECT_FALSE(QFileInfo::exists(m_catalog + QStringLiteral("b.sgn")));
}

// The FTP session closing during a wait that handles events (the terminal dropped it) stops the walk with one
// report; no later file is tried on a session that is gone.
TEST_F(BatchTransferTest, SessionClosedDuringAWaitStopsTheWalkWithOneReport)
{
    using Action = int16_t (*)(TransferContext&, const QString&);
    const struct {
        const char* name;
        Action action;
        const char* command;
    } rows[] = {
        {"download", &DownloadCatalogFile, "STOR "},
        {"upload", &UploadCatalogFile, "RETR "},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QStringList lines{"-eSWAP"};
        for (int i = 0; i < 5; ++i) {
            const QString name = QStringLiteral("f%1.sgn").arg(i);
            addLocalFile(name, 100);
            ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\") + name.toUpper(), "x"));
            lines << name;
        }
        if (!m_client.isOpen()) {
            ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                      FtpError::None);
            ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        }
        const qsizetype before = m_server.commands().size();
        batch().reset();
        resetSwapForTest();
        m_world.host.reports.clear();
        m_world.host.traces.clear();
        const int doneBefore = m_world.host.progress.filesDone;
        m_world.host.progress.duringWait = [this, doneBefore](int done) {
            if (done == doneBefore + 2)
                m_client.close();
        };
        r.action(m_ctx, writeList(QStringLiteral("LOAD.M40"), lines));
        m_world.host.progress.duringWait = nullptr;

        const QByteArrayList commands = m_server.commands().mid(before);
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                                [&](const QByteArray& c) { return c.startsWith(r.command); }),
                  2)
            << commands.join(' ').toStdString();
        EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FtpOperationFailed));
        EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_FtpSessionLost>"));
        EXPECT_TRUE(m_world.host.reports.empty());
        EXPECT_EQ(m_world.host.traces.count(QStringLiteral("<MSG_FtpSessionLost>")), 1);
    }
}

// A terminal that never opens the data connections: the first transfer ends at the timeout, which ends the FTP
// session, and the list of ten files ends there, within about one timeout, with one report of the lost session.
TEST(BatchTransferNoDataConnection, TenFilesEndWithinAboutOneTimeout)
{
    jvztest::FtpServerFixture::Options options;
    options.neverOpenDataConnections = true;
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    constexpr FtpTimeouts timeouts{1000, 1};
    CurlFtpClient client(timeouts);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    jvztest::TransferWorld world;
    TransferContext ctx = world.context(client);
    const QString catalog = scratchFolder("nodata");
    QByteArray list;
    for (int i = 0; i < 10; ++i) {
        list += "F" + QByteArray::number(i) + ".SGN\r\n";
        ASSERT_TRUE(server.putLocal(QStringLiteral("\\F%1.SGN").arg(i), "x"));
    }
    writeFile(catalog + QStringLiteral("UP.M40"), list);
    QElapsedTimer timer;
    timer.start();
    UploadCatalogFile(ctx, catalog + QStringLiteral("UP.M40"));
    EXPECT_LT(timer.elapsed(), 3 * timeouts.connectMs);
    EXPECT_EQ(world.batch.gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    ASSERT_EQ(world.host.reports.size(), 1u);
    EXPECT_EQ(world.host.reports[0].error, FtpError::Timeout);
    EXPECT_TRUE(world.batch.gErrorText.endsWith(QStringLiteral("<MSG_FtpSessionLost>")))
        << world.batch.gErrorText.toStdString();
    EXPECT_EQ(server.commands().count("RETR F1.SGN"), 0);
}

TEST_F(BatchTransferTest, ListThatCannotBeOpenedGivesMinusTwoForEveryAction)
{
    using Action = int16_t (*)(TransferContext&, const QString&);
    const std::pair<const char*, Action> actions[] = {
        {"download", &DownloadCatalogFile}, {"delete", &DeleteCatalogFile}, {"upload", &UploadCatalogFile}};
    const QString path = m_catalog + QStringLiteral("ABSENT.M40");
    for (const auto& [name, action] : actions) {
        batch().reset();
        action(m_ctx, path);
        EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FileNotFound)) << name;
        EXPECT_EQ(batch().gErrorText, path + QStringLiteral("<MSG_FileNotFound>")) << name;
    }
}

TEST_F(BatchTransferTest, RunDirectoryStartsEveryActionAndAFailedChangeEndsIt)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\A.SGN"), "a"));
    batch().gTerminalDir = QStringLiteral("HOST");
    UploadCatalogFile(m_ctx, writeList(QStringLiteral("UP.M40"), {"a.sgn", "-eNOSUCH", "b.sgn"}));
    const QByteArrayList sent = actionCommands();
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.first(), "CWD ..\\HOST");
    EXPECT_EQ(readFile(m_catalog + QStringLiteral("a.sgn")), "a");
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    EXPECT_TRUE(batch().gErrorText.startsWith(QStringLiteral("FtpSetCurrentDirectory 12003")));
    EXPECT_FALSE(sent.contains("RETR B.SGN"));
}

TEST_F(BatchTransferTest, SessionCallsTheActionsThroughItsInterface)
{
    const QByteArray app = addLocalFile(QStringLiteral("app.sgn"), 2000);
    CatalogBatchActions catalogActions(m_ctx);
    BatchActions& actions = catalogActions;
    actions.DownloadCatalogFile(writeList(QStringLiteral("LOAD.M40"), {"app.sgn"}));
    EXPECT_EQ(batch().gErrorCode, 0) << batch().gErrorText.toStdString();
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    actions.DeleteCatalogFile(writeList(QStringLiteral("DEL.M40"), {"app.sgn"}));
    EXPECT_EQ(batch().gErrorText, QStringLiteral("<MSG_AllDelFile>"));
    actions.UploadCatalogFile(writeList(QStringLiteral("UP.M40"), {"app.sgn"}));
    EXPECT_EQ(batch().gErrorCode, int16_t(BatchCode::FtpOperationFailed)); // deleted just before
}

TEST_F(BatchTransferTest, RunBatchActionStartsTheDownloadWithFreshBookkeeping)
{
    addLocalFile(QStringLiteral("app.sgn"), 10);
    m_world.session.swapTotalSize = 1 << 30;
    m_world.session.swapUnchecked = false;
    batch().gBatchAction = BatchAction::Download;
    batch().gBatchFile = writeList(QStringLiteral("LOAD.M40"), {"app.sgn"});
    RunBatchAction(m_ctx);
    EXPECT_EQ(batch().gErrorCode, 0);
    EXPECT_EQ(m_world.session.swapTotalSize, 10);
    EXPECT_FALSE(m_world.session.swapUnchecked);
}

} // namespace

namespace {

TEST_F(BatchTransferTest, FetchedTerminalFilesStayInTheTempFolder)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\LIST.TXT"), "components"));
    struct Case {
        const char* localName; // as a terminal file could name it
        const char* landsAs;   // empty: refused, nothing asked of the terminal
    } const cases[] = {
        {"", "LIST.TXT"}, {"  ", "LIST.TXT"}, {"copy.txt", "copy.txt"}, {"../escape.txt", ""},
        {"..", ""},       {"sub/x.txt", ""},  {"sub\\x.txt", ""},       {"bad\nname", ""},
    };
    for (const Case& c : cases) {
        const qsizetype before = m_server.commands().size();
        const bool fetched = FetchTerminalFileToTemp(m_ctx, QStringLiteral("\\SWAP\\"), QStringLiteral("LIST.TXT"),
                                                     true, QString::fromLatin1(c.localName));
        const QString landsAs = QString::fromLatin1(c.landsAs);
        EXPECT_EQ(fetched, !landsAs.isEmpty()) << c.localName;
        if (!landsAs.isEmpty()) {
            EXPECT_EQ(readFile(m_world.tempFolder + landsAs), "components") << c.localName;
        } else {
            EXPECT_FALSE(anyCommandStartsWith(m_server.commands().mid(before), "RETR")) << c.localName;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(m_world.tempFolder + QStringLiteral("../escape.txt")));
    EXPECT_TRUE(m_world.host.reports.empty()); // fetches report nothing themselves
    EXPECT_FALSE(FetchTerminalFileToTemp(m_ctx, QStringLiteral("\\SWAP\\"), QStringLiteral("ABSENT.TXT"), true));
    EXPECT_TRUE(m_world.host.reports.empty());
}

TEST(DiskFreeSize, LeadingNumberIn64Bits)
{
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"123456", 123456},
        {"  42 bytes", 42},
        {"6000000000", 6000000000LL},
        {"2.5", 2},
        {"3.5", 4},
        {"2.51", 3},
        {"-7", -7},
        {"abc", 0},
        {"", 0},
        {"9223372036854775807", 9223372036854775807LL},
        {"9223372036854775808", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(readLeadingInteger64(QString::fromLatin1(text)), value) << text;
}

} // namespace
