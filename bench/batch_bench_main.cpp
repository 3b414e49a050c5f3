// Times one unattended catalogue download against an FTP server, for bench/two_batch_runs.py:
//   jvz_batch_bench HOST PORT USER PASSWORD LIST
// Opens the session, goes to \SWAP\, runs the download without progress window (as "-n" does) on the transfer
// tests' world and prints "elapsed_ms <n> code <c>": from the login to the end of the last transfer.
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/TerminalFetch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: jvz_batch_bench HOST PORT USER PASSWORD LIST\n");
        return 2;
    }
    bool portOk = false;
    const uint port = args[2].toUInt(&portOk);
    if (!portOk || port == 0 || port > 65535) {
        std::fprintf(stderr, "bad port\n");
        return 2;
    }
    jvztest::TransferWorld world;
    world.host.withProgress = false;
    jvz::CurlFtpClient ftp;
    jvz::TransferContext ctx = world.context(ftp);
    // Two benches at once put under temporary names of their own, as two real runs would.
    ctx.clock = jvz::localSecondsSinceMidnight;

    QElapsedTimer timer;
    timer.start();
    if (ftp.open(args[1], uint16_t(port), args[3].toUtf8(), args[4].toUtf8()) != jvz::FtpError::None ||
        ftp.setCurrentDirectory("\\SWAP\\") != jvz::FtpError::None) {
        std::fprintf(stderr, "cannot open the FTP session\n");
        return 1;
    }
    jvz::resetSwapBookkeeping(world.session);
    jvz::DownloadCatalogFile(ctx, args[5]);
    const qint64 elapsed = timer.elapsed();
    ftp.close();
    for (const auto& report : world.host.reports)
        std::fprintf(stderr, "%s failed: %u\n", qPrintable(report.operation), report.error);
    std::printf("elapsed_ms %lld code %d\n", static_cast<long long>(elapsed), int(world.batch.gErrorCode));
    return world.batch.gErrorCode == 0 ? 0 : 1;
}
