// Which bound each fetch passes (a control file, a listed file with its row's size, a file fetched by name), and
// which call is reported when a fetch or the listing before a put ends the FTP session: that call, as the
// operation under way, and nothing after it.
#include "FakeTerminalFtp.h"
#include "TransferWorld.h"
#include "core/BatchErrorCode.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/DownloadPlanner.h"
#include "terminal_files/TerminalFetch.h"
#include "terminal_files/TerminalUpload.h"

#include <gtest/gtest.h>

using namespace jvz;
using jvztest::FakeTerminalFtp;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

using Kind = FetchBound::Kind;

const QByteArray kActivity = "[exchange]\r\nDisk free size=10000000\r\n";

struct Terminal {
    Terminal() : ftp(scratchFolder("terminal")) { writeFile(ftp.local("ACTIVITY.INF"), kActivity); }

    FakeTerminalFtp ftp;
    jvztest::TransferWorld world;
    TransferContext ctx = world.context(ftp);
    QString local = scratchFolder("local");
};

TEST(FetchBounds, EachGetPassesTheBoundOfWhatItIsFor)
{
    struct Row {
        const char* what;
        std::function<void(Terminal&)> run;
        Kind kind;
        qint64 listedBytes;
    };
    const Row rows[] = {
        {"the free space of the exchange directory", [](Terminal& t) { ReadSwapFreeSize(t.ctx); }, Kind::ControlFile,
         -1},
        {"the terminal's configuration",
         [](Terminal& t) {
             writeFile(t.ftp.local("TERMINAL.CNF"), "cnf");
             FetchTerminalFileToTemp(t.ctx, QStringLiteral("\\SWAP\\"), QStringLiteral("TERMINAL.CNF"), true,
                                     QStringLiteral("TERMINAL.TXT"));
         },
         Kind::ControlFile, -1},
        {"a file of the terminal list",
         [](Terminal& t) {
             writeFile(t.ftp.local("APP.SGN"), "app");
             t.world.batch.gBatchMode = false;
             UploadSelectedTerminalFiles(t.ctx, {{QStringLiteral("APP.SGN"), 4000}}, t.local, {});
         },
         Kind::Listed, 4000},
        {"a file the batch upload names, of the size the terminal gives",
         [](Terminal& t) {
             writeFile(t.ftp.local("APP.SGN"), "app");
             writeFile(t.local + QStringLiteral("UP.M40"), "APP.SGN\r\n");
             UploadCatalogFile(t.ctx, t.local + QStringLiteral("UP.M40"));
         },
         Kind::Listed, 3},
        {"a file the batch upload names, its size refused",
         [](Terminal& t) {
             writeFile(t.ftp.local("APP.SGN"), "app");
             t.ftp.refused = {"SIZE APP.SGN"};
             writeFile(t.local + QStringLiteral("UP.M40"), "APP.SGN\r\n");
             UploadCatalogFile(t.ctx, t.local + QStringLiteral("UP.M40"));
         },
         Kind::Unlisted, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Terminal t;
        row.run(t);
        ASSERT_EQ(t.ftp.bounds.size(), 1);
        EXPECT_EQ(t.ftp.bounds[0].kind, row.kind);
        EXPECT_EQ(t.ftp.bounds[0].listedBytes, row.listedBytes);
        EXPECT_TRUE(t.world.host.reports.empty());
    }
}

// A fetch or listing that fails: with the session still there it is silent and the action goes on (no free-space
// comparison this time); one that ended the session is reported as the operation under way with its own error,
// and nothing is sent after it (no "invalid handle" from a later call).
TEST(FetchBounds, TheCallThatEndedTheSessionIsTheOneReported)
{
    enum class Action { BatchDownload, WindowDownload, WindowUpload, BatchUpload };
    struct Row {
        const char* what;
        Action action;
        QByteArray failing;
        bool ends;
        QStringList reported;    // operation and error of each report, in order
        QStringList storedAfter; // the terminal's SWAP afterwards (besides ACTIVITY.INF)
        int fetched;             // files the upload got
    };
    const Row rows[] = {
        {"batch: the free-space fetch ends the session",
         Action::BatchDownload,
         "RETR \\SWAP\\ACTIVITY.INF",
         true,
         {"FtpGetFile 12002"},
         {},
         0},
        {"batch: the free-space fetch fails, the session stays",
         Action::BatchDownload,
         "RETR \\SWAP\\ACTIVITY.INF",
         false,
         {},
         {"A.SGN", "B.SGN"},
         0},
        {"batch: the listing before the put ends the session",
         Action::BatchDownload,
         "LIST",
         true,
         {"FtpPutFile 12002"},
         {},
         0},
        {"window: the free-space fetch ends the session",
         Action::WindowDownload,
         "RETR \\SWAP\\ACTIVITY.INF",
         true,
         {"FtpGetFile 12002"},
         {},
         0},
        {"window: the free-space fetch fails, the session stays",
         Action::WindowDownload,
         "RETR \\SWAP\\ACTIVITY.INF",
         false,
         {},
         {"A.SGN", "B.SGN"},
         0},
        {"window: the listing before the put ends the session",
         Action::WindowDownload,
         "LIST",
         true,
         {"FtpPutFile 12002"},
         {},
         0},
        {"window: the put ends the session", Action::WindowDownload, "STOR A.SGN", true, {"FtpPutFile 12002"}, {}, 0},
        {"window: the first fetch of the list ends the session",
         Action::WindowUpload,
         "RETR A.SGN",
         true,
         {"FtpGetFile 12002"},
         {"A.SGN", "B.SGN"},
         0},
        {"batch upload: the size asked first ends the session",
         Action::BatchUpload,
         "SIZE A.SGN",
         true,
         {"FtpGetFile 12002"},
         {"A.SGN", "B.SGN"},
         0},
        {"batch upload: the fetch ends the session",
         Action::BatchUpload,
         "RETR A.SGN",
         true,
         {"FtpGetFile 12002"},
         {"A.SGN", "B.SGN"},
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Terminal t;
        t.world.batch.gShowProgress = true; // the put lists its folder first
        if (row.ends)
            t.ftp.endsSession = {row.failing};
        else
            QFile::remove(t.ftp.local("ACTIVITY.INF")); // the fetch is refused
        for (const char* name : {"A.SGN", "B.SGN"}) {
            writeFile(t.local + QLatin1String(name), name);
            if (row.action == Action::WindowUpload || row.action == Action::BatchUpload)
                writeFile(t.ftp.local(name), name);
        }
        int fetched = 0;
        switch (row.action) {
        case Action::BatchDownload:
            writeFile(t.local + QStringLiteral("LOAD.M40"), "-eSWAP\r\nA.SGN\r\nB.SGN\r\n");
            t.world.session.swapTotalSize = 0;
            DownloadCatalogFile(t.ctx, t.local + QStringLiteral("LOAD.M40"));
            break;
        case Action::WindowDownload: {
            t.world.batch.gBatchMode = false;
            DownloadRequest request;
            request.items = {{QStringLiteral("A.SGN"), QStringLiteral("Unknown")},
                             {QStringLiteral("B.SGN"), QStringLiteral("Unknown")}};
            request.localFolder = t.local;
            DownloadSelectedCatalogues(t.ctx, request, {.sessionOpen = [] { return true; }, .setStatusBar4 = {}});
            break;
        }
        case Action::BatchUpload:
            writeFile(t.local + QStringLiteral("UP.M40"), "A.SGN\r\nB.SGN\r\n");
            UploadCatalogFile(t.ctx, t.local + QStringLiteral("UP.M40"));
            break;
        case Action::WindowUpload:
            t.world.batch.gBatchMode = false;
            fetched = UploadSelectedTerminalFiles(t.ctx, {{QStringLiteral("A.SGN"), 5}, {QStringLiteral("B.SGN"), 5}},
                                                  scratchFolder("into"),
                                                  {.sessionOpen = [] { return true; }, .refreshLocalList = {}});
            break;
        }
        QStringList reported;
        for (const auto& report : t.world.host.reports)
            reported << report.operation + u' ' + QString::number(report.error);
        EXPECT_EQ(reported, row.reported);
        EXPECT_EQ(t.ftp.callsWhileClosed, 0) << t.ftp.commands.join(" | ").toStdString();
        EXPECT_EQ(t.ftp.isOpen(), !row.ends);
        EXPECT_EQ(fetched, row.fetched);
        QStringList swap = QDir(t.ftp.local("")).entryList(QDir::Files);
        swap.removeAll(QStringLiteral("ACTIVITY.INF"));
        EXPECT_EQ(swap, row.storedAfter);
        // The window tells it in the one FTP error box; nothing else comes up.
        EXPECT_TRUE(t.world.notifier.shown.empty()) << t.world.notifier.shown.front().text.toStdString();
        if ((row.action == Action::BatchDownload || row.action == Action::BatchUpload) && row.ends) {
            EXPECT_EQ(t.world.batch.gErrorCode, int16_t(BatchCode::FtpOperationFailed));
            EXPECT_TRUE(t.world.batch.gErrorText.startsWith(row.reported.first() + u':'))
                << t.world.batch.gErrorText.toStdString();
            EXPECT_FALSE(t.world.batch.gErrorText.contains(QStringLiteral("FtpSetCurrentDirectory")));
        }
    }
}

} // namespace
