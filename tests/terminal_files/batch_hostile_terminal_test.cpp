// Unattended runs against a terminal whose FTP data crawls or stalls (a real FTP server on 127.0.0.1 made
// slow): the run ends within the bound, with the FTP failure code and the timeout in its text, and the result
// file carries both; Cancel during a file ends the file at once and the run with the cancel code.
#include "FtpServerFixture.h"
#include "Paths.h"
#include "TransferWorld.h"
#include "core/BatchErrorCode.h"
#include "core/BatchResultFile.h"
#include "platform/FileWriter.h"
#include "platform/FtpClient.h"
#include "terminal_files/BatchTransfers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

// 1 s of silence, 2 s for a listing, 200 B/s over every 2 s of a transfer.
constexpr FtpTimeouts HostileBounds{1000, 1, 2, 200, 2};
constexpr qint64 BoundSlackMs = 1500;

// A session on a server that plays the terminal, with a run's state around it.
struct HostileRun {
    explicit HostileRun(const jvztest::SlowTerminal& terminal, FtpTimeouts bounds)
        : server(terminal.options()), client(bounds)
    {
    }

    // Starts the server with APP.SGN of the given size and logs in.
    void start(qsizetype appSize)
    {
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        ASSERT_TRUE(server.putLocal(QStringLiteral("\\APP.SGN"), QByteArray(appSize, 'a')));
        ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    }

    jvztest::FtpServerFixture server;
    CurlFtpClient client;
    jvztest::TransferWorld world;
    TransferContext ctx = world.context(client);
};

struct ResultFile {
    QString code;
    QString text;
};

ResultFile writtenResult(BatchRun& batch, const QString& folder)
{
    batch.gResultFile = folder + QStringLiteral("ResBatch.txt");
    EXPECT_TRUE(WriteBatchResult(batch, folder, nullptr, AtomicFileWriter::standard()));
    const QString contents = QString::fromLatin1(readFile(batch.gResultFile));
    const qsizetype end = contents.indexOf(QStringLiteral("\r\n"));
    return {contents.left(end), contents.mid(end + 2)};
}

// One test a terminal, so each runs within seconds.
struct HostileCase {
    const char* what;
    jvztest::SlowTerminal producer;
    qint64 boundMs;
};
const HostileCase kHostileCases[] = {
    {"fetch_trickling_45_B_s", {45}, HostileBounds.floorWindowSeconds * 1000},
    {"fetch_silent_midway", {0, 30000}, HostileBounds.stallSeconds * 1000},
    {"data_connection_never_opens", {0, -1, false, true}, HostileBounds.connectMs},
};

class BatchHostileTerminal : public ::testing::TestWithParam<HostileCase> {};

TEST_P(BatchHostileTerminal, RunEndsWithinTheBoundAndTheResultFileSaysWhy)
{
    const HostileCase& c = GetParam();
    HostileRun run(c.producer, HostileBounds);
    ASSERT_NO_FATAL_FAILURE(run.start(100000));
    jvztest::TransferWorld& world = run.world;
    jvztest::FtpServerFixture& server = run.server;
    TransferContext& ctx = run.ctx;
    const QString folder = scratchFolder("hostile");
    writeFile(folder + QStringLiteral("APP.SGN"), "old");
    writeFile(folder + QStringLiteral("UP.M40"), "APP.SGN\r\nNEXT.SGN\r\n");

    QElapsedTimer timer;
    timer.start();
    UploadCatalogFile(ctx, folder + QStringLiteral("UP.M40"));
    EXPECT_LE(timer.elapsed(), c.boundMs + BoundSlackMs);
    EXPECT_EQ(world.batch.gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    ASSERT_FALSE(world.host.reports.empty());
    EXPECT_EQ(world.host.reports[0].error, FtpError::Timeout);
    EXPECT_EQ(readFile(folder + QStringLiteral("APP.SGN")), "old");
    EXPECT_EQ(server.commands().count("RETR NEXT.SGN"), 0) << "the session ended with the timeout";

    const ResultFile result = writtenResult(world.batch, folder);
    EXPECT_EQ(result.code, QStringLiteral("-10"));
    EXPECT_TRUE(result.text.startsWith(QStringLiteral("FtpGetFile 12002"))) << result.text.toStdString();
    EXPECT_TRUE(result.text.contains(QStringLiteral("<MSG_FtpSessionLost>"))) << result.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Terminals, BatchHostileTerminal, ::testing::ValuesIn(kHostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& row) { return std::string(row.param.what); });

// The progress window's Cancel in an unattended run ends the file under way, not after it: the old local file
// stays whole, no temporary file is left, and the run ends with the cancel code and text.
TEST(BatchHostileTerminalCancel, CancelEndsTheFileUnderWay)
{
    HostileRun run(jvztest::SlowTerminal{2000}, FtpTimeouts{3000, 5});
    ASSERT_NO_FATAL_FAILURE(run.start(40000)); // 20 s
    jvztest::TransferWorld& world = run.world;
    world.batch.gShowProgress = true;
    TransferContext& ctx = run.ctx;
    const QString folder = scratchFolder("cancel");
    writeFile(folder + QStringLiteral("APP.SGN"), "old");
    writeFile(folder + QStringLiteral("UP.M40"), "APP.SGN\r\n");

    QElapsedTimer timer;
    timer.start();
    qint64 pressedAt = -1;
    QTimer::singleShot(1000, [&] {
        world.host.progress.pressCancel();
        pressedAt = timer.elapsed();
    });
    UploadCatalogFile(ctx, folder + QStringLiteral("UP.M40"));
    ASSERT_GE(pressedAt, 0);
    EXPECT_LT(timer.elapsed() - pressedAt, 200);
    EXPECT_EQ(readFile(folder + QStringLiteral("APP.SGN")), "old");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("APP.SGN"), QStringLiteral("UP.M40")}));
    EXPECT_TRUE(world.host.reports.empty()) << "a cancel is no FTP failure";
    const ResultFile result = writtenResult(world.batch, folder);
    EXPECT_EQ(result.code, QString::number(int(BatchCode::TransferCancelled)));
    EXPECT_EQ(result.text, QStringLiteral("<MSG_TransferCancelled>\r\n"));
}

} // namespace
