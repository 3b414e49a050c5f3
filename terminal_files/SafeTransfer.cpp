#include "terminal_files/SafeTransfer.h"

#include "core/BatchErrorCode.h"
#include "core/Cp1252.h"
#include "platform/FtpClient.h"
#include "platform/FtpClientListing.h"
#include "platform/NestedWait.h"
#include "platform/Notifier.h"
#include "platform/TransferLog.h"

#include <cmath>

namespace jvz {

namespace {

// Opens the progress window for the first file of an operation, or moves it on to the next file.
void announceFile(TransferContext& ctx, const QString& name, const QString& from, const QString& to, bool first,
                  int total)
{
    if (!ctx.showProgress())
        return;
    TransferProgress* progress = ctx.host.progressWindow();
    if (!progress)
        return;
    if (first) {
        progress->init(name, ctx.language, from, to, total);
        serveEvents();
    } else {
        progress->NewFile(name);
    }
}

// Lets the per-file animation run out, serving the Cancel button meanwhile; the file is already done.
void waitForAnimation(TransferContext& ctx, bool& cancelled)
{
    if (!ctx.showProgress())
        return;
    TransferProgress* progress = ctx.host.progressWindow();
    if (!progress)
        return;
    progress->LaunchTimer();
    constexpr int kPollMs = 5; // the window tells its end by Running only
    NestedWait(WaitKind::NestedLoop, ctx.maxAnimationWaitMs)
        .until([progress] { return !progress->Running() || progress->Canceled(); }, kPollMs)
        .run();
    cancelled = progress->Canceled();
}

uint32_t cancellablePut(TransferContext& ctx, const QString& localPath, const QByteArray& remoteName,
                        const std::function<bool()>& cancel)
{
    const FtpCancelScope scope(ctx.ftp, cancel);
    return ctx.ftp.putFile(localPath, remoteName);
}

// What a cancelled put left on the terminal goes, where the terminal lets it; a refusal is reported and the
// trace names the file left.
void removeCutShortFile(TransferContext& ctx, const QByteArray& name)
{
    const uint32_t error = ctx.ftp.isOpen() ? ctx.ftp.deleteFile(name) : FtpError::InvalidHandle;
    if (error == FtpError::None)
        return;
    ctx.host.ReportFtpError(error, QStringLiteral("FtpDeleteFile"));
    ctx.host.trace(ctx.label("TRC_LeftOnTerminal") + Cp1252::decode(name));
}

enum class Presence { Absent, Present, Cancelled, SessionEnded };

// Whether a name stands in the current terminal directory, from one listing of it per operation. Unknown
// counts as present: the old file is then kept safe at the cost of a rename. A listing that ended the session
// is SessionEnded, its error in *listError: the put is over before it began.
Presence presenceOf(TransferContext& ctx, const QByteArray& finalName, const std::function<bool()>& cancel,
                    uint32_t* listError)
{
    const QByteArray directory = ctx.ftp.currentDirectory();
    auto seen = ctx.namesSeen.directories.find(directory);
    if (seen == ctx.namesSeen.directories.end()) {
        QByteArrayList lines;
        uint32_t error = FtpError::None;
        {
            const FtpCancelScope scope(ctx.ftp, cancel);
            error = ctx.ftp.listDirectory(&lines);
        }
        if (error == FtpError::OperationCancelled)
            return Presence::Cancelled;
        if (error != FtpError::None && !ctx.ftp.isOpen()) {
            *listError = error;
            return Presence::SessionEnded;
        }
        TerminalNamesSeen::Directory listed;
        if (error == FtpError::None) {
            QList<FtpDroppedLine> dropped;
            for (const FtpFileEntry& entry : parseFtpListing(lines, QDate::currentDate(), &dropped))
                listed.names.insert(Cp1252::toUpper(Cp1252::decode(entry.name)));
            listed.complete = dropped.isEmpty();
        } else {
            qCWarning(lcTransfer) << "listing before the put failed:" << error;
        }
        seen = ctx.namesSeen.directories.insert(directory, listed);
    }
    if (!seen->complete || seen->names.contains(Cp1252::toUpper(Cp1252::decode(finalName))))
        return Presence::Present;
    return Presence::Absent;
}

// A file cut short by the cancel is no failure to report: the user asked for it.
void reportCancel(TransferContext& ctx, bool& cancelled)
{
    cancelled = true;
    const QString text = ctx.label("MSG_TransferCancelled");
    ctx.host.setTransferStatus(text);
    // An unattended run traces it with its result.
    if (!ctx.batch.gBatchMode)
        ctx.host.trace(text);
}

// The copy window's Cancel, once confirmed, ends the file under way, not only the files after it; so does a
// stop signal, with or without the window.
std::function<bool()> cancelCheck(TransferContext& ctx)
{
    TransferProgress* progress = ctx.showProgress() ? ctx.host.progressWindow() : nullptr;
    const BatchRun& batch = ctx.batch;
    return [progress, &batch] { return batch.stopSignal != 0 || (progress && progress->Canceled()); };
}

// A run stopped between two files starts no other.
bool stoppedBeforeTheFile(TransferContext& ctx, bool& cancelled)
{
    if (ctx.batch.stopSignal == 0)
        return false;
    reportCancel(ctx, cancelled);
    return true;
}

void reportSuccess(TransferContext& ctx, const char* okKey)
{
    const QString text = ctx.label("FTPCmd") + ctx.label(okKey);
    ctx.host.setTransferStatus(text);
    ctx.host.trace(text);
}

struct PutOutcome {
    uint32_t error = FtpError::None;
    bool reported = false;
};

// Long names: the final name is only ever given by the rename, and a refused rename leaves what stood
// under it. An existing short name: the rename goes over the old file, which a cancel never touches.
PutOutcome putThroughTemporaryName(TransferContext& ctx, const QString& localPath, const QByteArray& finalName,
                                   const std::function<bool()>& cancel, bool overOldFile)
{
    const QByteArray temporary = Cp1252::encode(TemporaryPutName(ctx.clock()));
    if (const uint32_t error = cancellablePut(ctx, localPath, temporary, cancel)) {
        if (error == FtpError::OperationCancelled) {
            removeCutShortFile(ctx, temporary);
            return {error, false};
        }
        // The final name was never touched; what arrived under the temporary one goes, where the terminal
        // lets it (a session that ended with the failure cannot; a put refused at once left nothing).
        if (ctx.ftp.isOpen() && ctx.ftp.deleteFile(temporary) != FtpError::None)
            qCWarning(lcTransfer) << "temporary file left on the terminal:" << temporary;
        return {error, false};
    }
    if (overOldFile) {
        const NameTaken taken = giveTemporaryItsName(ctx, localPath, temporary, finalName, OldFileRoad::RenameOver);
        if (taken.error == FtpError::None)
            return {};
        ctx.host.ReportFtpError(taken.error, QStringLiteral("FtpPutFile"));
        if (taken.temporaryHoldsTheFile)
            ctx.host.trace(ctx.label("TRC_LeftOnTerminal") + Cp1252::decode(temporary));
        else
            removeCutShortFile(ctx, temporary);
        return {taken.error, true};
    }
    const uint32_t renameError = ctx.ftp.renameFile(temporary, finalName);
    if (renameError == FtpError::None)
        return {};
    // Reported before the clean-up, so the report carries the rename's own reply, not the delete's.
    ctx.host.ReportFtpError(renameError, QStringLiteral("FtpPutFile"));
    if (ctx.ftp.deleteFile(temporary) != FtpError::None)
        qCWarning(lcTransfer) << "temporary file left on the terminal:" << temporary;
    return {renameError, true};
}

// A short name: straight under its name, unless it would go over an older file, which a cancel or a stop could
// leave cut short.
PutOutcome putShortName(TransferContext& ctx, const QString& localPath, const QByteArray& finalName)
{
    const std::function<bool()> cancel = cancelCheck(ctx);
    uint32_t listError = FtpError::None;
    switch (presenceOf(ctx, finalName, cancel, &listError)) {
    case Presence::Cancelled:
        return {FtpError::OperationCancelled, false};
    case Presence::SessionEnded:
        return {listError, false};
    case Presence::Present:
        return putThroughTemporaryName(ctx, localPath, finalName, cancel, true);
    case Presence::Absent:
        break;
    }
    const uint32_t error = cancellablePut(ctx, localPath, finalName, cancel);
    // Half a file under its final name would pass for the whole one.
    if (error == FtpError::OperationCancelled)
        removeCutShortFile(ctx, finalName);
    return {error, false};
}

// The name a put gave stands in its directory from now on.
void rememberPut(TransferContext& ctx, const QByteArray& finalName)
{
    const auto seen = ctx.namesSeen.directories.find(ctx.ftp.currentDirectory());
    if (seen != ctx.namesSeen.directories.end())
        seen->names.insert(Cp1252::toUpper(Cp1252::decode(finalName)));
}

// A file fetched by name gets the bounds its size gives, when the terminal tells it. A terminal that cannot
// tell leaves the name's own bounds; a call that ended the session is the fetch's error.
uint32_t learnSizeBound(FtpClient& ftp, const QByteArray& remote, FetchBound& bound)
{
    qint64 bytes = -1;
    const uint32_t error = ftp.fileSize(remote, &bytes);
    if (error == FtpError::None && bytes >= 0) {
        bound = FetchBound::listed(bytes);
        return FtpError::None;
    }
    return error == FtpError::OperationCancelled || !ftp.isOpen() ? error : FtpError::None;
}

} // namespace

QString TemporaryPutName(double secondsSinceMidnight)
{
    const double rounded = std::nearbyint(std::max(0.0, secondsSinceMidnight)); // halves to even
    const QString text = QLatin1Char(' ') + QString::number(static_cast<qint64>(rounded));
    return QStringLiteral("TMP") + text.right(4);
}

std::optional<QByteArray> terminalFileName(const QString& name)
{
    bool lossless = false;
    QByteArray bytes = Cp1252::encode(Cp1252::toUpper(name), &lossless);
    if (!lossless)
        return std::nullopt;
    return bytes;
}

bool refuseInexactLocalName(TransferContext& ctx, const QString& name, const QString& path)
{
    if (terminalFileName(name))
        return false;
    const QString shown = visibleName(path);
    const QString message = shown + QStringLiteral(" : ") + ctx.label("MSG_LocalNameNotSendable");
    ctx.host.trace(ctx.label("TRC_LocalNameRefused") + shown);
    if (ctx.batch.gBatchMode) {
        if (ctx.batch.gErrorCode == 0)
            ctx.batch.set(BatchCode::TerminalFileOrSpace, message);
        else
            ctx.batch.appendOnNewLine(message);
    }
    ctx.notifier.message(message, QString(), MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

bool isPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QString visibleName(const QString& name)
{
    QString out;
    for (QChar c : name) {
        switch (c.unicode()) {
        case 0:
            out += QStringLiteral("<NUL>");
            break;
        case '\r':
            out += QStringLiteral("<CR>");
            break;
        case '\n':
            out += QStringLiteral("<LF>");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("<%1>").arg(uint(c.unicode()), 2, 16, QLatin1Char('0')).toUpper();
            else
                out += c;
        }
    }
    return out;
}

bool refuseUnsendableTerminalName(TransferContext& ctx, const QString& listedName)
{
    if (isPlainFileName(listedName))
        return false;
    const QString shown = visibleName(listedName);
    ctx.host.trace(ctx.label("TRC_TerminalNameRefused") + shown);
    ctx.notifier.message(ctx.label("MSG_TerminalNameNotSendable") + QStringLiteral(" '") + shown + u'\'', QString(),
                         MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

NameTaken giveTemporaryItsName(TransferContext& ctx, const QString& localPath, const QByteArray& temporary,
                               const QByteArray& finalName, OldFileRoad road)
{
    if (road == OldFileRoad::RenameOver && ctx.ftp.renameFile(temporary, finalName) == FtpError::None)
        return {};
    // Many servers refuse a rename onto an existing name. A missing old file is no reason to stop; a refused
    // delete leaves the old file, so the rename below fails and the terminal keeps it.
    const bool oldGone = ctx.ftp.deleteFile(finalName) == FtpError::None;
    const uint32_t renameError = ctx.ftp.renameFile(temporary, finalName);
    if (renameError == FtpError::None)
        return {};
    if (!oldGone)
        return {renameError, false};
    ctx.host.trace(
        QStringLiteral("RNFR %1 RNTO %2 : STOR %2").arg(Cp1252::decode(temporary), Cp1252::decode(finalName)));
    if (ctx.ftp.putFile(localPath, finalName) == FtpError::None) {
        ctx.ftp.deleteFile(temporary);
        return {};
    }
    return {renameError, true};
}

bool FtpPutFileSafe(TransferContext& ctx, const QString& name, const QString& localFolder, QString& destLabel,
                    bool first, bool& cancelled, int total, const QString& remoteName)
{
    if (stoppedBeforeTheFile(ctx, cancelled))
        return false;
    const QString remote = remoteName.isEmpty() ? name : remoteName;
    if (first)
        ctx.namesSeen = {};
    if (first && destLabel.isEmpty())
        destLabel = QStringLiteral(".");
    announceFile(ctx, name, localFolder, destLabel, first, total);
    const QString localPath = localFolder + name;
    // Checked before any command for the file: neither the put nor the rename may carry another name.
    if (refuseInexactLocalName(ctx, remote, remoteName.isEmpty() ? localPath : remote)) {
        waitForAnimation(ctx, cancelled);
        return false;
    }
    const QByteArray finalName = terminalFileName(remote).value_or(QByteArray());
    PutOutcome outcome;
    if (!isPlainFileName(name) || !isPlainFileName(remote))
        outcome.error = FtpError::InvalidParameter;
    else if (remote.size() >= kTemporaryNameThreshold)
        outcome = putThroughTemporaryName(ctx, localPath, finalName, cancelCheck(ctx), false);
    else
        outcome = putShortName(ctx, localPath, finalName);
    waitForAnimation(ctx, cancelled);
    if (outcome.error == FtpError::None) {
        rememberPut(ctx, finalName);
        reportSuccess(ctx, "PutOK");
        return true;
    }
    if (outcome.error == FtpError::OperationCancelled) {
        reportCancel(ctx, cancelled);
        return false;
    }
    if (!outcome.reported)
        ctx.host.ReportFtpError(outcome.error, QStringLiteral("FtpPutFile"));
    return false;
}

bool FtpGetFileTraced(TransferContext& ctx, const QString& name, const QString& localFolder, QString& srcLabel,
                      bool first, bool& cancelled, int total, TerminalNameCase nameCase, FetchBound bound)
{
    if (stoppedBeforeTheFile(ctx, cancelled))
        return false;
    if (first && srcLabel.isEmpty())
        srcLabel = QStringLiteral(".");
    announceFile(ctx, name, srcLabel, localFolder, first, total);
    if (nameCase == TerminalNameCase::AsListed && refuseUnsendableTerminalName(ctx, name)) {
        waitForAnimation(ctx, cancelled);
        return false;
    }
    // A name of a list resolved to a local file in another case may have taken characters the terminal lacks.
    if (nameCase == TerminalNameCase::UpperCased && refuseInexactLocalName(ctx, name, localFolder + name)) {
        waitForAnimation(ctx, cancelled);
        return false;
    }
    const QByteArray remote =
        nameCase == TerminalNameCase::UpperCased ? terminalFileName(name).value_or(QByteArray()) : Cp1252::encode(name);
    uint32_t error = FtpError::InvalidParameter;
    if (isPlainFileName(name)) {
        const FtpCancelScope scope(ctx.ftp, cancelCheck(ctx));
        error = FtpError::None;
        if (bound.kind == FetchBound::Kind::Unlisted)
            error = learnSizeBound(ctx.ftp, remote, bound);
        if (error == FtpError::None)
            error = ctx.ftp.getFile(remote, localFolder + name, bound);
    }
    waitForAnimation(ctx, cancelled);
    if (error == FtpError::None) {
        reportSuccess(ctx, "GetOK");
        return true;
    }
    if (error == FtpError::OperationCancelled) {
        reportCancel(ctx, cancelled);
        return false;
    }
    ctx.host.ReportFtpError(error, QStringLiteral("FtpGetFile"));
    return false;
}

} // namespace jvz
