// Unattended runs against a terminal whose FTP data crawls, stalls, sends for ever or drops the connection (a
// real FTP server on 127.0.0.1 made hostile): the run ends within the bound, with the FTP failure code and the
// first failure in its text, and the result file carries both; a fetch its cap ends leaves the run going; Cancel during
// a file ends the file at once and the run with the cancel code.
#include "FtpServerFixture.h"
#include "HostileBounds.h"
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
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

using namespace jvz;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

constexpr FtpTimeouts HostileBounds = jvztest::kHostileBounds;
constexpr qint64 BoundSlackMs = 1500;

// A session on a server that plays the terminal, with a run's state around it.
struct HostileRun {
    explicit HostileRun(const jvztest::SlowTerminal& terminal, FtpTimeouts bounds)
        : HostileRun(terminal.options(), bounds)
    {
    }
    HostileRun(const jvztest::FtpServerFixture::Options& options, FtpTimeouts bounds) : server(options), client(bounds)
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

// The control files' own bounds: a total bound of 3 s, or a cap of 32 MiB reached long before a total bound of 30 s.
constexpr auto controlFileBounds = jvztest::hostileControlFileBounds;
constexpr FtpTimeouts ControlTotalBounds = controlFileBounds(3, HostileBounds.controlFileMaxBytes);
constexpr qint64 ControlCapBytes = 32 * 1024 * 1024; // large enough for the samples to see it grow
constexpr FtpTimeouts ControlCapBounds = controlFileBounds(30, ControlCapBytes);
constexpr FtpTimeouts SmallControlCapBounds = controlFileBounds(3, 16 * 1024);

jvztest::FtpServerFixture::Options endlessActivity(int bytesPerSecond)
{
    jvztest::FtpServerFixture::Options o = jvztest::SlowTerminal{bytesPerSecond}.options();
    o.endlessRetrNames = {"\\SWAP\\ACTIVITY.INF"};
    return o;
}

jvztest::FtpServerFixture::Options droppedAt(const QByteArray& verb)
{
    jvztest::FtpServerFixture::Options o = jvztest::SlowTerminal{}.options();
    o.dropAtVerbs = {verb};
    return o;
}

// One test a terminal, so each runs within seconds. The upload gets APP.SGN (100,000 bytes) over an old local
// copy, then NEXT.SGN; the download reads ACTIVITY.INF, then puts APP.SGN into SWAP.
enum class BatchRunKind { Upload, Download };
struct HostileCase {
    const char* what;
    jvztest::FtpServerFixture::Options terminal;
    FtpTimeouts bounds;
    BatchRunKind run;
    qint64 boundMs;         // the bound that ends it (at the latest)
    uint32_t error;         // the first report's; 0: none, the run goes on and its files arrive
    const char* resultText; // what the result file's text starts with
};
const HostileCase kHostileCases[] = {
    {"fetch_trickling_45_B_s", jvztest::SlowTerminal{45}.options(), HostileBounds, BatchRunKind::Upload,
     HostileBounds.floorWindowSeconds * 1000, FtpError::Timeout, "FtpGetFile 12002"},
    {"fetch_silent_midway", jvztest::SlowTerminal{0, 30000}.options(), HostileBounds, BatchRunKind::Upload,
     HostileBounds.stallSeconds * 1000, FtpError::Timeout, "FtpGetFile 12002"},
    {"data_connection_never_opens", jvztest::SlowTerminal{0, -1, false, true}.options(), HostileBounds,
     BatchRunKind::Upload, HostileBounds.connectMs, FtpError::Timeout, "FtpGetFile 12002"},
    // 300 B/s passes the floor: only the control files' total bound ends it, and the fetch is what is reported.
    {"activity_endless_above_the_floor", endlessActivity(300), ControlTotalBounds, BatchRunKind::Download,
     ControlTotalBounds.controlFileTotalSeconds * 1000, FtpError::Timeout, "FtpGetFile 12002"},
    // At full speed the cap ends it long before its total bound; the session stays, the fetch is silent and
    // the run goes on without the free-space comparison.
    {"activity_endless_full_speed", endlessActivity(0), ControlCapBounds, BatchRunKind::Download, 3000, 0, ""},
    {"upload_larger_than_the_control_cap", jvztest::SlowTerminal{}.options(), SmallControlCapBounds,
     BatchRunKind::Upload, 3000, 0, ""},
    {"control_connection_dropped_at_RETR", droppedAt("RETR"), HostileBounds, BatchRunKind::Upload, 3000,
     FtpError::ConnectionAborted, "FtpGetFile 12030"},
};

// The largest file in a folder, sampled while the run serves its events.
struct FolderSizeSampler {
    explicit FolderSizeSampler(QString folder) : m_folder(std::move(folder))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (const QFileInfo& file : QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden))
                largest = std::max(largest, file.size());
            ++samples;
        });
        m_timer.start(1);
    }
    qint64 largest = 0;
    int samples = 0;

private:
    QString m_folder;
    QTimer m_timer;
};

class BatchHostileTerminal : public ::testing::TestWithParam<HostileCase> {};

TEST_P(BatchHostileTerminal, RunEndsWithinTheBoundAndTheResultFileSaysWhy)
{
    const HostileCase& c = GetParam();
    HostileRun run(c.terminal, c.bounds);
    ASSERT_NO_FATAL_FAILURE(run.start(100000));
    jvztest::TransferWorld& world = run.world;
    jvztest::FtpServerFixture& server = run.server;
    TransferContext& ctx = run.ctx;
    const QString folder = scratchFolder("hostile");
    const QByteArray app = QByteArray(100000, 'a');
    QElapsedTimer timer;
    std::optional<FolderSizeSampler> temporary;
    if (c.run == BatchRunKind::Upload) {
        writeFile(folder + QStringLiteral("APP.SGN"), "old");
        writeFile(folder + QStringLiteral("UP.M40"), "APP.SGN\r\nNEXT.SGN\r\n");
        ASSERT_TRUE(server.putLocal(QStringLiteral("\\NEXT.SGN"), "next"));
        timer.start();
        UploadCatalogFile(ctx, folder + QStringLiteral("UP.M40"));
    } else {
        ASSERT_TRUE(server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10\r\n"));
        ASSERT_EQ(run.client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        writeFile(folder + QStringLiteral("APP.SGN"), app);
        writeFile(folder + QStringLiteral("LOAD.M40"), "-eSWAP\r\nAPP.SGN\r\n");
        temporary.emplace(ctx.tempDir());
        timer.start();
        DownloadCatalogFile(ctx, folder + QStringLiteral("LOAD.M40"));
    }
    const qint64 elapsed = timer.elapsed();
    std::printf("%s: ended after %lld ms (bound %lld ms)\n", c.what, static_cast<long long>(elapsed),
                static_cast<long long>(c.boundMs));
    EXPECT_LE(elapsed, c.boundMs + BoundSlackMs);
    if (temporary) {
        std::printf("%s: largest file in the temp folder %lld bytes over %d samples\n", c.what,
                    static_cast<long long>(temporary->largest), temporary->samples);
        EXPECT_LE(temporary->largest, c.bounds.controlFileMaxBytes);
        EXPECT_TRUE(QDir(ctx.tempDir()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no temporary file left";
    }
    const QStringList localFiles = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    const ResultFile result = writtenResult(world.batch, folder);
    if (c.error == 0) {
        EXPECT_TRUE(world.host.reports.empty());
        EXPECT_EQ(result.code, QStringLiteral("0")) << result.text.toStdString();
        if (c.run == BatchRunKind::Upload) {
            EXPECT_EQ(readFile(folder + QStringLiteral("APP.SGN")), app) << "a file past the control cap arrives";
            EXPECT_EQ(readFile(folder + QStringLiteral("NEXT.SGN")), "next");
        } else {
            EXPECT_EQ(server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app) << "no free-space comparison";
        }
        EXPECT_TRUE(run.client.isOpen());
        return;
    }
    if (c.error == FtpError::Timeout) {
        EXPECT_GE(elapsed, c.boundMs - 100) << "ended by another bound than its own";
    }
    EXPECT_EQ(world.batch.gErrorCode, int16_t(BatchCode::FtpOperationFailed));
    ASSERT_FALSE(world.host.reports.empty());
    EXPECT_EQ(world.host.reports[0].error, c.error);
    EXPECT_FALSE(run.client.isOpen());
    EXPECT_EQ(result.code, QStringLiteral("-10"));
    EXPECT_TRUE(result.text.startsWith(QLatin1String(c.resultText))) << result.text.toStdString();
    EXPECT_FALSE(result.text.contains(QStringLiteral("FtpSetCurrentDirectory"))) << result.text.toStdString();
    EXPECT_FALSE(result.text.contains(QStringLiteral(" 6:"))) << "no call on the closed session";
    if (c.run == BatchRunKind::Upload) {
        EXPECT_EQ(readFile(folder + QStringLiteral("APP.SGN")), "old");
        EXPECT_EQ(localFiles, (QStringList{QStringLiteral("APP.SGN"), QStringLiteral("UP.M40")}));
        EXPECT_EQ(server.commands().count("RETR NEXT.SGN"), 0) << "the session ended with the failure";
        EXPECT_TRUE(result.text.contains(QStringLiteral("<MSG_FtpSessionLost>"))) << result.text.toStdString();
    } else {
        EXPECT_FALSE(jvztest::anyCommandStartsWith(server.commands(), "STOR")) << "the action ended there";
    }
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

// The progress window's Cancel during a put of the unattended download: the terminal's old file stays whole,
// what the put left goes (a delete the terminal refuses is reported, with the file left named in the trace),
// and the run ends within 200 ms of the press with the cancel code and its text.
TEST(BatchHostileTerminal, CancelledPutLeavesTheTerminalsOldFileWhole)
{
    struct Case {
        const char* what;
        bool oldFile;
        QByteArrayList refused;
        QByteArray deleted; // the name the clean-up deletes
        QStringList swapAfter;
        const char* resultText;
    } const cases[] = {
        {"over an old file", true, {}, "TMP3512", {"ACTIVITY.INF", "APP.SGN"}, "<MSG_TransferCancelled>\r\n"},
        {"a new file", false, {}, "APP.SGN", {"ACTIVITY.INF"}, "<MSG_TransferCancelled>\r\n"},
        {"over an old file, the terminal refusing the delete",
         true,
         {"DELE TMP"},
         "TMP3512",
         {"ACTIVITY.INF", "APP.SGN", "TMP3512"},
         "FtpDeleteFile 12003: 550 Refused.\r\n\r\n<MSG_TransferCancelled>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        jvztest::FtpServerFixture::Options options = jvztest::SlowTerminal{2000}.options();
        options.refusedCommands = c.refused;
        HostileRun run(options, FtpTimeouts{3000, 5});
        ASSERT_TRUE(run.server.start()) << run.server.errorString().toStdString();
        jvztest::FtpServerFixture& server = run.server;
        ASSERT_TRUE(
            server.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10000000\r\n"));
        if (c.oldFile) {
            ASSERT_TRUE(server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), "old"));
        }
        ASSERT_EQ(run.client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
        ASSERT_EQ(run.client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        jvztest::TransferWorld& world = run.world;
        world.batch.gBatchMode = true;
        world.batch.gShowProgress = true;
        const QString folder = scratchFolder("cancelput");
        writeFile(folder + QStringLiteral("app.sgn"), QByteArray(40000, 'n')); // 20 s
        writeFile(folder + QStringLiteral("LOAD.M40"), "-eSWAP\r\napp.sgn\r\n");
        const qsizetype before = server.commands().size();

        QElapsedTimer timer;
        timer.start();
        qint64 pressedAt = -1;
        QTimer::singleShot(1500, [&] {
            world.host.progress.pressCancel();
            pressedAt = timer.elapsed();
        });
        DownloadCatalogFile(run.ctx, folder + QStringLiteral("LOAD.M40"));
        const qint64 endedAt = timer.elapsed();
        ASSERT_GE(pressedAt, 0);
        std::printf("%s: press to end %lld ms\n", c.what, static_cast<long long>(endedAt - pressedAt));
        EXPECT_LT(endedAt - pressedAt, 200);

        QStringList swap = QDir(server.localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files | QDir::Hidden);
        swap.sort();
        EXPECT_EQ(swap, c.swapAfter);
        if (c.oldFile) {
            EXPECT_EQ(server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), "old");
        }
        const QByteArrayList sent = server.commands().mid(before);
        EXPECT_TRUE(sent.contains("DELE " + c.deleted)) << sent.join(" | ").toStdString();
        EXPECT_EQ(sent.contains("STOR APP.SGN"), !c.oldFile) << "an old file is never written over";
        EXPECT_FALSE(sent.contains("RNFR TMP3512"));
        EXPECT_EQ(world.host.traces.contains(QStringLiteral("<TRC_LeftOnTerminal>TMP3512")), !c.refused.isEmpty());
        const ResultFile result = writtenResult(world.batch, folder);
        EXPECT_EQ(result.code, QString::number(int(BatchCode::TransferCancelled)));
        EXPECT_EQ(result.text, QString::fromLatin1(c.resultText)) << result.text.toStdString();
    }
}

} // namespace
