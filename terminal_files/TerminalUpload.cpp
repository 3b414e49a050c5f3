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

int UploadSelectedTerminalFiles(TransferContext& ctx, const QStringList& selectedNames, const QString& destination,
                                const UploadHooks& hooks)
{
    QStringList names;
    for (const QString& name : selectedNames) {
        if (!isDiskSizeEntry(name))
            names.append(name);
    }
    if (names.isEmpty() || destination.isEmpty())
        return 0;
    const QString folder = destination.endsWith(u'/') ? destination : destination + u'/';
    QString source = ctx.currentTerminalDir.isEmpty() ? QStringLiteral(".") : ctx.currentTerminalDir;
    bool first = true;
    bool cancelled = false;
    int got = 0;
    for (const QString& name : names) {
        if (FtpGetFileTraced(ctx, name, folder, source, first, cancelled, int(names.size()),
                             TerminalNameCase::AsListed)) {
            ++got;
            ctx.host.trace(ctx.label("TRC_UploadedFile") + ctx.label("TRC_TerminalDisk") + ctx.currentTerminalDir +
                           QStringLiteral(": ") + name);
        }
        first = false;
        if (cancelled)
            break;
        // The wait for the progress window handled events: the terminal may have ended the session meanwhile.
        if (hooks.sessionOpen && !hooks.sessionOpen()) {
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
