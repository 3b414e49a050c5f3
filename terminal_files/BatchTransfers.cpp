#include "terminal_files/BatchTransfers.h"

#include "core/Cp1252.h"
#include "core/MbFilename.h"
#include "platform/FtpClient.h"
#include "terminal_files/CatalogList.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalFetch.h"
#include "terminal_files/TransferLog.h"

#include <QFileInfo>

namespace jvz {

namespace {

const QString kParent = QStringLiteral("..\\");

void listNotFound(TransferContext& ctx, const QString& path)
{
    ctx.batch.set(BatchCode::FileNotFound, path + ctx.label("MSG_FileNotFound"));
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

// First pass of the download: counts the file lines, checks each file, adds the sizes bound for an
// exchange directory. False (with the result set) when a file is missing.
bool checkListedFiles(TransferContext& ctx, CatalogListReader& reader, const QString& base, int& count)
{
    QString passDirectory = ctx.batch.gTerminalDir;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
        switch (classifyCatalogLine(line)) {
        case CatalogLineKind::End:
        case CatalogLineKind::Comment:
            break;
        case CatalogLineKind::Directory:
            passDirectory = catalogDirectoryArgument(line);
            break;
        case CatalogLineKind::File: {
            ++count;
            const CatalogFileRef ref = resolveCatalogFile(line, base);
            const QFileInfo info(ref.localPath());
            if (!info.isFile()) {
                ctx.batch.set(BatchCode::TerminalFileOrSpace,
                              ref.localPath() + QStringLiteral(" : ") + ctx.label("MSG_FileNotFound"));
                return false;
            }
            if (passDirectory.contains(QLatin1String("SWAP")))
                ctx.session.swapTotalSize += info.size();
            break;
        }
        }
    }
    return true;
}

// Lines of a list that name files.
int countFileLines(CatalogListReader& reader)
{
    int count = 0;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
        if (classifyCatalogLine(line) == CatalogLineKind::File)
            ++count;
    }
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
    if (!reader.OpenTextFileForRead(path)) {
        listNotFound(ctx, path);
        return 0;
    }
    const int64_t swapFreeSize = ReadSwapFreeSize(ctx);
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
    if (!reader.OpenTextFileForRead(path)) {
        listNotFound(ctx, path);
        return 0;
    }
    if (!enterInitialDirectory(ctx))
        return 0;

    bool first = true;
    bool cancelled = false;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty() && !cancelled; reader.ReadTextLine(line)) {
        switch (classifyCatalogLine(line)) {
        case CatalogLineKind::End:
        case CatalogLineKind::Comment:
            break;
        case CatalogLineKind::Directory:
            if (!enterListedDirectory(ctx, line)) {
                reader.CloseTextFile();
                unloadProgress(ctx);
                return 0;
            }
            break;
        case CatalogLineKind::File: {
            ctx.currentTerminalDir = terminalDirLabel(ctx);
            const CatalogFileRef ref = resolveCatalogFile(line, base);
            FtpPutFileSafe(ctx, ref.name, ref.folder, ctx.currentTerminalDir, first, cancelled, count);
            first = false;
            break;
        }
        }
    }
    reader.CloseTextFile();
    unloadProgress(ctx);
    if (cancelled)
        recordCancel(ctx);
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
    if (!reader.OpenTextFileForRead(path)) {
        listNotFound(ctx, path);
        return 0;
    }
    bool anyFailed = false;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
        switch (classifyCatalogLine(line)) {
        case CatalogLineKind::End:
        case CatalogLineKind::Comment:
            break;
        case CatalogLineKind::Directory:
            if (!enterListedDirectory(ctx, line)) {
                reader.CloseTextFile();
                return 0;
            }
            break;
        case CatalogLineKind::File: {
            const QString name = FileNameOf(line);
            const uint32_t error =
                isPlainFileName(name) ? ctx.ftp.deleteFile(terminalFileName(name)) : FtpError::InvalidParameter;
            if (error != FtpError::None) {
                ctx.host.ReportFtpError(error, QStringLiteral("FtpDeleteFile"));
                anyFailed = true;
            }
            break;
        }
        }
    }
    reader.CloseTextFile();
    if (!anyFailed)
        ctx.batch.gErrorText = ctx.label("MSG_AllDelFile");
    return 0;
}

int16_t UploadCatalogFile(TransferContext& ctx, const QString& path)
{
    if (!enterInitialDirectory(ctx))
        return 0;
    CatalogListReader reader;
    if (!reader.OpenTextFileForRead(path)) {
        listNotFound(ctx, path);
        return 0;
    }
    const int count = countFileLines(reader);
    reader.CloseTextFile();
    if (!reader.OpenTextFileForRead(path)) {
        listNotFound(ctx, path);
        return 0;
    }
    const QString base = MbFilename(path).Path() + u'/';
    bool first = true;
    bool cancelled = false;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty() && !cancelled; reader.ReadTextLine(line)) {
        switch (classifyCatalogLine(line)) {
        case CatalogLineKind::End:
        case CatalogLineKind::Comment:
            break;
        case CatalogLineKind::Directory:
            if (!enterListedDirectory(ctx, line)) {
                reader.CloseTextFile();
                unloadProgress(ctx);
                return 0;
            }
            break;
        case CatalogLineKind::File: {
            const CatalogFileRef ref = resolveCatalogFile(line, base);
            QString source = terminalDirLabel(ctx);
            FtpGetFileTraced(ctx, ref.name, ref.folder, source, first, cancelled, count);
            first = false;
            break;
        }
        }
    }
    reader.CloseTextFile();
    unloadProgress(ctx);
    if (cancelled)
        recordCancel(ctx);
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
