#include "terminal_files/SafeTransfer.h"

#include "core/Cp1252.h"
#include "platform/FtpClient.h"
#include "platform/TransferLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
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
        QCoreApplication::processEvents();
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
    QDeadlineTimer deadline(ctx.maxAnimationWaitMs);
    while (progress->Running() && !progress->Canceled() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    cancelled = progress->Canceled();
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

PutOutcome putThroughTemporaryName(TransferContext& ctx, const QString& localPath, const QByteArray& finalName)
{
    const QByteArray temporary = Cp1252::encode(TemporaryPutName(ctx.clock()));
    if (const uint32_t error = ctx.ftp.putFile(localPath, temporary))
        return {error, false};
    const uint32_t renameError = ctx.ftp.renameFile(temporary, finalName);
    if (renameError == FtpError::None)
        return {};
    // Reported before the clean-up, so the report carries the rename's own reply, not the delete's.
    ctx.host.ReportFtpError(renameError, QStringLiteral("FtpPutFile"));
    if (ctx.ftp.deleteFile(temporary) != FtpError::None)
        qCWarning(lcTransfer) << "temporary file left on the terminal:" << temporary;
    return {renameError, true};
}

} // namespace

QString TemporaryPutName(double secondsSinceMidnight)
{
    const double rounded = std::nearbyint(std::max(0.0, secondsSinceMidnight)); // halves to even
    const QString text = QLatin1Char(' ') + QString::number(static_cast<qint64>(rounded));
    return QStringLiteral("TMP") + text.right(4);
}

QByteArray terminalFileName(const QString& name)
{
    return Cp1252::encode(Cp1252::toUpper(name));
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

bool FtpPutFileSafe(TransferContext& ctx, const QString& name, const QString& localFolder, QString& destLabel,
                    bool first, bool& cancelled, int total, const QString& remoteName)
{
    const QString remote = remoteName.isEmpty() ? name : remoteName;
    if (first && destLabel.isEmpty())
        destLabel = QStringLiteral(".");
    announceFile(ctx, name, localFolder, destLabel, first, total);
    const QString localPath = localFolder + name;
    PutOutcome outcome;
    if (!isPlainFileName(name) || !isPlainFileName(remote))
        outcome.error = FtpError::InvalidParameter;
    else if (remote.size() >= kTemporaryNameThreshold)
        outcome = putThroughTemporaryName(ctx, localPath, terminalFileName(remote));
    else
        outcome.error = ctx.ftp.putFile(localPath, terminalFileName(remote));
    waitForAnimation(ctx, cancelled);
    if (outcome.error == FtpError::None) {
        reportSuccess(ctx, "PutOK");
        return true;
    }
    if (!outcome.reported)
        ctx.host.ReportFtpError(outcome.error, QStringLiteral("FtpPutFile"));
    return false;
}

bool FtpGetFileTraced(TransferContext& ctx, const QString& name, const QString& localFolder, QString& srcLabel,
                      bool first, bool& cancelled, int total, TerminalNameCase nameCase)
{
    if (first && srcLabel.isEmpty())
        srcLabel = QStringLiteral(".");
    announceFile(ctx, name, srcLabel, localFolder, first, total);
    const QByteArray remote =
        nameCase == TerminalNameCase::UpperCased ? terminalFileName(name) : Cp1252::encode(name);
    const uint32_t error =
        isPlainFileName(name) ? ctx.ftp.getFile(remote, localFolder + name) : FtpError::InvalidParameter;
    waitForAnimation(ctx, cancelled);
    if (error == FtpError::None) {
        reportSuccess(ctx, "GetOK");
        return true;
    }
    ctx.host.ReportFtpError(error, QStringLiteral("FtpGetFile"));
    return false;
}

} // namespace jvz
