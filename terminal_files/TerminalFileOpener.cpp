#include "terminal_files/TerminalFileOpener.h"

#include "core/AppSettings.h"
#include "core/Cp1252.h"
#include "core/MbFileIni.h"
#include "platform/FtpClient.h"
#include "platform/Notifier.h"
#include "platform/TransferLog.h"
#include "terminal_files/CompanionRun.h"
#include "terminal_files/FileViewers.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalFetch.h"
#include "terminal_files/TerminalListModel.h"
#include "terminal_files/TransferContext.h"

#include <QDir>
#include <QFile>

namespace jvz {

namespace {

const QString kSwapDir = QStringLiteral("\\SWAP\\");

} // namespace

TerminalOpenSettings terminalOpenSettingsFrom(const AppSettings& settings)
{
    TerminalOpenSettings s;
    s.dispatch.certifSgn = settings.gCertifSgn;
    s.dispatch.kelmdorExt = settings.gKelmdorExt;
    s.updateTermFiles = settings.gUpdateTermFiles;
    return s;
}

TerminalFileOpener::TerminalFileOpener(FileViewers& viewers, CompanionRunner& companions)
    : m_viewers(viewers), m_companions(companions)
{
}

TerminalFileOpener::Result TerminalFileOpener::OpenTerminalFile(TransferContext& ctx, const QString& name,
                                                                const TerminalOpenSettings& settings,
                                                                qint64 listedBytes)
{
    Result result;
    // The name came from the terminal: sent back exactly as listed, and it must not lead out of the temp
    // folder.
    if (refuseUnsendableTerminalName(ctx, name))
        return result;
    const QString temp = ctx.tempDir();
    const QString localPath = temp + name;
    if (const uint32_t error = ctx.ftp.getFile(Cp1252::encode(name), localPath, FetchBound::listed(listedBytes));
        error != FtpError::None) {
        ctx.host.ReportFtpError(error, QStringLiteral("FtpGetFile"));
        return result;
    }
    result.fetched = true;
    if (!QFile::exists(localPath)) {
        ctx.notifier.message(ctx.label("MSG_FileNotFound"), QString(), MessageIcon::Exclamation, MessageButtons::Ok);
        return result;
    }
    result.tool = terminalFileTool(terminalRowText(name), settings.dispatch);
    switch (result.tool) {
    case FileTool::SecurityDiagnostic:
    case FileTool::SignedFileDump:
    case FileTool::LifeCounterRecords:
    case FileTool::AppCounterRecords:
    case FileTool::AppDefaultRecords: {
        static const std::pair<FileTool, CompanionKind> kRuns[] = {
            {FileTool::SecurityDiagnostic, CompanionKind::SecurityDiagnostic},
            {FileTool::SignedFileDump, CompanionKind::SignedFile},
            {FileTool::LifeCounterRecords, CompanionKind::LifeCounter},
            {FileTool::AppCounterRecords, CompanionKind::AppCounter},
            {FileTool::AppDefaultRecords, CompanionKind::AppDefault},
        };
        for (const auto& [tool, kind] : kRuns)
            if (tool == result.tool)
                m_companions.run(kind, localPath);
        break;
    }
    case FileTool::DescriptorViewer:
        m_viewers.showDescriptorFile(temp, name);
        break;
    case FileTool::TextViewer: {
        TextViewRequest request;
        request.folder = temp;
        request.fileName = name;
        request.writable = settings.updateTermFiles;
        const TextViewResult shown = m_viewers.showTextFile(request);
        if (shown.status == 0 && shown.fileSaved && settings.updateTermFiles)
            result.putBack = putBack(ctx, name, localPath, result.keptCopy, result.terminalCopy);
        break;
    }
    case FileTool::Nothing:
    case FileTool::CatalogueList:
    case FileTool::FolderLink:
    case FileTool::FolderNavigation:
        break;
    }
    if (result.putBack != PutBack::Failed)
        QFile::remove(localPath);
    return result;
}

// The new text goes under a temporary name first; only once it has arrived does the old file go and the new
// one take its name (see giveTemporaryItsName).
TerminalFileOpener::PutBack TerminalFileOpener::putBack(TransferContext& ctx, const QString& name,
                                                        const QString& localPath, QString& keptCopy,
                                                        QString& terminalCopy)
{
    const QByteArray finalName = Cp1252::encode(name); // the file as listed, not an upper-cased namesake
    const QByteArray temporary = Cp1252::encode(TemporaryPutName(ctx.clock()));
    const auto fail = [&](uint32_t error, bool temporaryStays) {
        ctx.host.ReportFtpError(error, QStringLiteral("FtpPutFile"));
        if (temporaryStays)
            terminalCopy = Cp1252::decode(temporary);
        else
            ctx.ftp.deleteFile(temporary);
        keptCopy = keepEditedCopy(ctx, name, localPath, terminalCopy);
        return PutBack::Failed;
    };
    if (const uint32_t error = ctx.ftp.putFile(localPath, temporary); error != FtpError::None)
        return fail(error, false);
    const NameTaken taken = giveTemporaryItsName(ctx, localPath, temporary, finalName, OldFileRoad::DeleteFirst);
    if (taken.error == FtpError::None)
        return PutBack::Done;
    return fail(taken.error, taken.temporaryHoldsTheFile);
}

// The edited copy moves out of the way of later fetches (which overwrite the temp folder's files), and the
// user is told where it is, and where the terminal holds the new text when it holds it under another name.
QString TerminalFileOpener::keepEditedCopy(TransferContext& ctx, const QString& name, const QString& localPath,
                                           const QString& terminalCopy)
{
    const QString folder = ctx.tempDir() + QStringLiteral("unsent/");
    QDir().mkpath(folder);
    QString kept = folder + name;
    for (int n = 1; QFile::exists(kept); ++n)
        kept = folder + name + QLatin1Char('.') + QString::number(n);
    if (!QFile::rename(localPath, kept))
        kept = localPath; // it stays where it is
    QString text = kept + QStringLiteral(" : ") + ctx.label("MSG_EditedCopyKept");
    if (!terminalCopy.isEmpty())
        text += u'\n' + terminalCopy + QStringLiteral(" : ") + ctx.label("MSG_TerminalCopyKept");
    ctx.notifier.message(text, QString(), MessageIcon::Exclamation, MessageButtons::Ok);
    return kept;
}

bool TerminalFileOpener::MNU_Terminal_Application_List_Click(TransferContext& ctx)
{
    static const QString kActivityFile = QStringLiteral("ACTIVITY.INF");
    if (!FetchTerminalFileToTemp(ctx, kSwapDir, kActivityFile, true))
        return false;
    MbFileIni ini;
    ini.Create(ctx.tempDir() + kActivityFile);
    const QString listName = ini.StringGet(QStringLiteral("Running Component List"), QStringLiteral("filename"));
    // The fetch refuses a name that is not a plain file name.
    if (listName.isEmpty() || !FetchTerminalFileToTemp(ctx, kSwapDir, listName, true))
        return false;
    TextViewRequest request;
    request.folder = ctx.tempDir();
    request.fileName = listName;
    request.writable = true;
    return m_viewers.showTextFile(request).status == 0;
}

} // namespace jvz
