#include "core/BatchResultFile.h"

#include "core/BatchRun.h"
#include "core/CoreLog.h"
#include "core/Cp1252.h"
#include "core/MBLanguages.h"
#include "platform/FileWriter.h"

#include <QFile>
#include <QFileInfo>

namespace jvz {

bool WriteBatchResult(BatchRun& batch, const QString& programFolder, const MBLanguages* language, FileWriter& writer)
{
    if (batch.gResultFile.isEmpty())
        batch.gResultFile = programFolder + QLatin1Char('/') + QLatin1String(kDefaultResultFileName);
    const QString path = batch.gResultFile;

    FileWriteError error;
    bool written = false;
    const QFileInfo info(path);
    if (info.isDir()) {
        error.text = QStringLiteral("a folder has that name");
    } else if (!info.isSymLink() && info.isFile() && !QFile::remove(path)) {
        // Only a plain previous result goes first (also one the user may not write); a link keeps pointing
        // where it did, a FIFO or a device stays, and the writer writes through them.
        error.text = QStringLiteral("cannot remove the previous file");
    } else {
        const QString text = QString::number(batch.gErrorCode) + kCrLf + batch.gErrorText + kCrLf;
        written = writer.writeAll(path, Cp1252::encode(text), &error);
    }
    if (written)
        return true;

    qCWarning(jvzCore) << "result file" << path << "not written:" << error.text;
    QString message = language ? language->GetGeneralLabel(QStringLiteral("MSG_ErrWriteResult")) : QString();
    if (message.isEmpty())
        message = QString::fromLatin1(kErrWriteResultFallback);
    batch.appendOnNewLine(message + QStringLiteral(" '") + path + QLatin1Char('\''));
    return false;
}

} // namespace jvz
