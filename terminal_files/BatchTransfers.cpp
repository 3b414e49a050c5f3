#include "terminal_files/BatchTransfers.h"

#include "core/Cp1252.h"
#include "core/MbFilename.h"
#include "platform/FtpClient.h"
#include "platform/TransferLog.h"
#include "terminal_files/CatalogList.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalFetch.h"

#include <QFileInfo>
#include <functional>

namespace jvz {

namespace {

const QString kParent = QStringLiteral("..\\");

// Opens the run's list; a list that cannot be opened is -2.
bool openList(TransferContext& ctx, CatalogListReader& reader, const QString& path)
{
    if (reader.OpenTextFileForRead(path))
        return true;
    ctx.batch.set(BatchCode::FileNotFound, path + ctx.label("MSG_FileNotFound"));
    return false;
}

// The action starts in the run's terminal directory when the terminal put it elsewhere.
bool enterInitialDirectory(TransferContext& ctx)
{
    if (ctx.identity.swapDisk == ctx.batch.gTerminalDir)
        return true;
    return changeTerminalDirectory(ctx, kParent + ctx.batch.gTerminalDir) == FtpError::None;
}

// A directory line of the second pass: the run's directory and the terminal's current one follow it.
bool enterListedDirectory(TransferContext& ctx, const QString& line)
{
    ctx.batch.gTerminalDir = catalogDirectoryArgument(line);
    return changeTerminalDirectory(ctx, kParent + ctx.batch.gTerminalDir) == FtpError::None;
}

QString terminalDirLabel(const TransferContext& ctx)
{
    return u'\\' + ctx.batch.gTerminalDir + u'\\';
}

void unloadProgress(TransferContext& ctx)
{
    if (!ctx.showProgress())
        return;
    if (TransferProgress* progress = ctx.host.progressWindow())
        progress->unload();
}

// A cancelled run never reads as a complete load.
void recordCancel(TransferContext& ctx)
{
    const QString text = ctx.label("MSG_TransferCancelled");
    ctx.host.trace(text);
    ctx.batch.gErrorCode = static_cast<int16_t>(BatchCode::TransferCancelled);
    if (ctx.batch.gErrorText.isEmpty())
        ctx.batch.gErrorText = text;
    else
        ctx.batch.appendOnNewLine(text);
}

// The transfers wait handling events (the progress window, its animation); the terminal may close the FTP
// session meanwhile, or a timed-out call may have ended it. Then the walk stops with one report, rather than
// every remaining file failing on a session that is gone. True while the session is open.
bool ftpSessionStillOpen(TransferContext& ctx)
{
    if (ctx.ftp.isOpen())
        return true;
    const QString text = ctx.label("MSG_FtpSessionLost");
    ctx.host.trace(text);
    if (ctx.batch.gErrorCode == 0)
        ctx.batch.set(BatchCode::FtpOperationFailed, text);
    else
        ctx.batch.appendOnNewLine(text);
    return false;
}

// After the transfers of a list: the list closes, the progress window goes, a cancel is recorded.
void endTransferWalk(TransferContext& ctx, CatalogListReader& reader, bool cancelled)
{
    reader.CloseTextFile();
    unloadProgress(ctx);
    if (cancelled)
        recordCancel(ctx);
}

using LineAction = CatalogLineAction;

// Directory lines of the transfers move the run's and the terminal's directory; a failed change stops.
bool walkListedFiles(TransferContext& ctx, CatalogListReader& reader, const LineAction& onFile)
{
    return forEachListLine(
        reader, [&](const QString& line) { return enterListedDirectory(ctx, line); }, onFile);
}

// First pass of the download: counts the file lines, checks each file, adds the sizes bound for an
// exchange directory. False (with the result set) when a file is missing.
bool checkListedFiles(TransferContext& ctx, CatalogListReader& reader, const QString& base, int& count)
{
    QString passDirectory = ctx.batch.gTerminalDir;
    PathCaseResolver resolver;
    const auto onDirectory = [&](const QString& line) {
        passDirectory = catalogDirectoryArgument(line);
        return true;
    };
    return forEachListLine(reader, onDirectory, [&](const QString& line) {
        ++count;
        const CatalogFileRef ref = resolveCatalogFile(line, base, resolver);
        const QFileInfo info(ref.localPath());
        if (!info.isFile()) {
            ctx.batch.set(BatchCode::TerminalFileOrSpace,
                          ref.localPath() + QStringLiteral(" : ") + ctx.label("MSG_FileNotFound"));
            return false;
        }
        if (passDirectory.contains(QLatin1String("SWAP")))
            ctx.session.swapTotalSize += info.size();
        return true;
    });
}

// Lines of a list that name files.
int countFileLines(CatalogListReader& reader)
{
    int count = 0;
    const auto skip = [](const QString&) { return true; };
    forEachListLine(reader, skip, [&](const QString&) {
        ++count;
        return true;
    });
    return count;
}

} // namespace

uint32_t changeTerminalDirectory(TransferContext& ctx, const QString& path)
{
    if (path.isEmpty())
        return FtpError::None;
    const uint32_t error = ctx.ftp.setCurrentDirectory(Cp1252::encode(path));
    if (error != FtpError::None)
        ctx.host.ReportFtpError(error, QStringLiteral("FtpSetCurrentDirectory"));
    return error;
}

int16_t DownloadCatalogFile(TransferContext& ctx, const QString& path)
{
    if (!catalogSuitsTerminal(path, ctx.terminalInfo.ProductCodeTerminal(), XListRule::AnyX)) {
        ctx.batch.set(BatchCode::CatalogueNotAdapted, ctx.label("MSG_CatalogueFileNotAdapted") + kCrLf + path);
        return 0;
    }
    CatalogListReader reader;
    if (!openList(ctx, reader, path))
        return 0;
    bool sessionEnded = false;
    const int64_t swapFreeSize = ReadSwapFreeSize(ctx, &sessionEnded);
    if (sessionEnded) {
        reader.CloseTextFile();
        return 0; // reported as the fetch's failure: no later call
    }
    const QString base = catalogBaseFolder(path);
    int count = 0;
    const bool allThere = checkListedFiles(ctx, reader, base, count);
    reader.CloseTextFile();
    if (!allThere)
        return 0;
    if (!swapSpaceSuffices(ctx, swapFreeSize)) {
        ctx.batch.set(BatchCode::TerminalFileOrSpace, ctx.label("MSG_SwapSpace"));
        return 0;
    }
    if (!openList(ctx, reader, path))
        return 0;
    if (!enterInitialDirectory(ctx))
        return 0;

    bool first = true;
    bool cancelled = false;
    PathCaseResolver resolver; // nothing is written to the local folders while files go to the terminal
    walkListedFiles(ctx, reader, [&](const QString& line) {
        ctx.currentTerminalDir = terminalDirLabel(ctx);
        const CatalogFileRef ref = resolveCatalogFile(line, base, resolver);
        FtpPutFileSafe(ctx, ref.name, ref.folder, ctx.currentTerminalDir, first, cancelled, count);
        first = false;
        return !cancelled && ftpSessionStillOpen(ctx);
    });
    endTransferWalk(ctx, reader, cancelled);
    return 0;
}

int16_t DeleteCatalogFile(TransferContext& ctx, const QString& path)
{
    ctx.batch.gErrorText.clear();
    if (!ctx.batch.gSerialLink && changeTerminalDirectory(ctx, QStringLiteral("SWAP")) != FtpError::None)
        return 0;
    if (!enterInitialDirectory(ctx))
        return 0;
    CatalogListReader reader;
    if (!openList(ctx, reader, path))
        return 0;
    bool anyFailed = false;
    const bool complete = walkListedFiles(ctx, reader, [&](const QString& line) {
        const QString name = FileNameOf(line);
        const std::optional<QByteArray> terminalName = terminalFileName(name);
        const uint32_t error =
            isPlainFileName(name) && terminalName ? ctx.ftp.deleteFile(*terminalName) : FtpError::InvalidParameter;
        if (error != FtpError::None) {
            ctx.host.ReportFtpError(error, QStringLiteral("FtpDeleteFile"));
            anyFailed = true;
            return ftpSessionStillOpen(ctx);
        }
        return true;
    });
    reader.CloseTextFile();
    if (complete && !anyFailed)
        ctx.batch.gErrorText = ctx.label("MSG_AllDelFile");
    return 0;
}

int16_t UploadCatalogFile(TransferContext& ctx, const QString& path)
{
    if (!enterInitialDirectory(ctx))
        return 0;
    CatalogListReader reader;
    if (!openList(ctx, reader, path))
        return 0;
    const int count = countFileLines(reader);
    reader.CloseTextFile();
    if (!openList(ctx, reader, path))
        return 0;
    const QString base = MbFilename(path).Path() + u'/';
    bool first = true;
    bool cancelled = false;
    walkListedFiles(ctx, reader, [&](const QString& line) {
        const CatalogFileRef ref = resolveCatalogFile(line, base);
        QString source = terminalDirLabel(ctx);
        // Names from the list, with no listing: the bounds of the size the terminal gives (else the fixed cap
        // and the listing's time), never the control files'.
        FtpGetFileTraced(ctx, ref.name, ref.folder, source, first, cancelled, count, TerminalNameCase::UpperCased,
                         FetchBound::unlisted());
        first = false;
        return !cancelled && ftpSessionStillOpen(ctx);
    });
    endTransferWalk(ctx, reader, cancelled);
    return 0;
}

int16_t RunBatchAction(TransferContext& ctx)
{
    switch (ctx.batch.gBatchAction) {
    case BatchAction::Download:
        resetSwapBookkeeping(ctx.session);
        return DownloadCatalogFile(ctx, ctx.batch.gBatchFile);
    case BatchAction::Delete:
        return DeleteCatalogFile(ctx, ctx.batch.gBatchFile);
    case BatchAction::Upload:
        return UploadCatalogFile(ctx, ctx.batch.gBatchFile);
    }
    return 0;
}

} // namespace jvz
