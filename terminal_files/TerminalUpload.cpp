#include "terminal_files/TerminalUpload.h"

#include "core/Cp1252.h"
#include "platform/Notifier.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalListModel.h"

namespace jvz {

bool isDiskSizeEntry(const QString& name)
{
    return Cp1252::toUpper(terminalRowText(name).right(4)) == QLatin1String(".SIZ");
}

int UploadSelectedTerminalFiles(TransferContext& ctx, const QList<ListedTerminalFile>& selected,
                                const QString& destination, const UploadHooks& hooks)
{
    QList<ListedTerminalFile> files;
    for (const ListedTerminalFile& file : selected) {
        if (!isDiskSizeEntry(file.listedName))
            files.append(file);
    }
    if (files.isEmpty() || destination.isEmpty())
        return 0;
    const QString folder = destination.endsWith(u'/') ? destination : destination + u'/';
    QString source = ctx.currentTerminalDir.isEmpty() ? QStringLiteral(".") : ctx.currentTerminalDir;
    bool first = true;
    bool cancelled = false;
    int got = 0;
    for (const ListedTerminalFile& file : files) {
        const bool fetched = FtpGetFileTraced(ctx, file.listedName, folder, source, first, cancelled, int(files.size()),
                                              TerminalNameCase::AsListed, FetchBound::listed(file.listedBytes));
        if (fetched) {
            ++got;
            ctx.host.trace(ctx.label("TRC_UploadedFile") + ctx.label("TRC_TerminalDisk") + ctx.currentTerminalDir +
                           QStringLiteral(": ") + file.listedName);
        }
        first = false;
        if (cancelled)
            break;
        // A get that ended the session was reported as it failed: the walk stops there, on the client's own
        // state, before any later call could fail on the closed session.
        if (!fetched && !ctx.ftp.isOpen())
            break;
        // The terminal may have ended the session while the progress window's wait handled events.
        if (!ctx.ftp.isOpen() || (hooks.sessionOpen && !hooks.sessionOpen())) {
            ctx.notifier.message(ctx.label("MSG_TerminalSessionClosed"), QString(), MessageIcon::Exclamation,
                                 MessageButtons::Ok);
            break;
        }
    }
    if (ctx.showProgress()) {
        if (TransferProgress* progress = ctx.host.progressWindow())
            progress->unload();
    }
    if (hooks.refreshLocalList)
        hooks.refreshLocalList(folder);
    return got;
}

} // namespace jvz
