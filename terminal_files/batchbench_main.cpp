// Times one unattended catalogue download against an FTP server, for bench/batch_download.py:
//   jvz_batch_bench HOST PORT USER PASSWORD LIST
// Opens the session, goes to \SWAP\, runs the download without progress window (as "-n" does) and prints
// "elapsed_ms <n> code <c>": from the login to the end of the last transfer.
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"
#include "platform/FtpClient.h"
#include "platform/Notifier.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/TerminalFetch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class ConsoleHost : public jvz::TransferHost {
public:
    explicit ConsoleHost(jvz::BatchRun& batch) : m_batch(batch) {}
    void setTransferStatus(const QString&) override {}
    void trace(const QString&) override {}
    void ReportFtpError(uint32_t error, const QString& operation) override
    {
        std::fprintf(stderr, "%s failed: %u\n", qPrintable(operation), error);
        m_batch.gErrorCode = static_cast<int16_t>(jvz::BatchCode::FtpOperationFailed);
    }
    jvz::TransferProgress* progressWindow() override { return nullptr; }

private:
    jvz::BatchRun& m_batch;
};

class SilentNotifier : public jvz::Notifier {
public:
    jvz::MessageAnswer message(const QString& text, const QString&, jvz::MessageIcon, jvz::MessageButtons,
                               QObject*) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return jvz::MessageAnswer::Ok;
    }
};

} // namespace

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
    jvz::BatchRun batch;
    batch.gBatchMode = true;
    batch.gShowProgress = false;
    batch.gTerminalDir = QStringLiteral("SWAP");
    jvz::TerminalSession session;
    jvz::TerminalIdentity identity;
    identity.swapDisk = QStringLiteral("SWAP");
    jvz::TerminalInfoFields info;
    info.SetProductCode(QStringLiteral("M40"));
    jvz::MBLanguages language;
    ConsoleHost host(batch);
    SilentNotifier notifier;
    QString currentDir = QStringLiteral("\\SWAP\\");
    QTemporaryDir temp;
    jvz::CurlFtpClient ftp;
    jvz::TransferContext ctx{.ftp = ftp,
                             .host = host,
                             .notifier = notifier,
                             .language = language,
                             .batch = batch,
                             .session = session,
                             .identity = identity,
                             .terminalInfo = info,
                             .currentTerminalDir = currentDir,
                             .tempFolder = temp.path()};

    QElapsedTimer timer;
    timer.start();
    if (ftp.open(args[1], uint16_t(port), args[3].toUtf8(), args[4].toUtf8()) != jvz::FtpError::None ||
        ftp.setCurrentDirectory("\\SWAP\\") != jvz::FtpError::None) {
        std::fprintf(stderr, "cannot open the FTP session\n");
        return 1;
    }
    jvz::resetSwapBookkeeping(session);
    jvz::DownloadCatalogFile(ctx, args[5]);
    const qint64 elapsed = timer.elapsed();
    ftp.close();
    std::printf("elapsed_ms %lld code %d\n", static_cast<long long>(elapsed), int(batch.gErrorCode));
    return batch.gErrorCode == 0 ? 0 : 1;
}
