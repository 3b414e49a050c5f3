#include "workspace/AuthoringFiles.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"
#include "platform/FileReader.h"
#include "platform/FileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>

namespace jvz {

bool copyFileAtomically(const QString& source, const QString& target, FileWriter& writer, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (isSameFile(source, target))
        return true; // already in place: copying it onto itself would only risk it
    QFile in;
    QString openError;
    if (!openRegularFile(in, source, &openError))
        return fail(openError);
    FileWriteError startError;
    std::unique_ptr<FileReplacement> out = writer.begin(target, &startError);
    if (!out)
        return fail(startError.text);
    for (;;) {
        const QByteArray chunk = in.read(256 * 1024);
        if (chunk.isEmpty())
            break;
        if (!out->write(chunk))
            return fail(out->error().text);
    }
    if (in.error() != QFileDevice::NoError)
        return fail(in.errorString());
    if (!out->commit())
        return fail(out->error().text);
    return true;
}

bool isReadOnlyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool clearReadOnly(const QString& path)
{
    QFile file(path);
    return file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
}

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QByteArray encodeLines(const QStringList& lines, bool finalLineBreak)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bytes += Cp1252::encode(lines[i]);
        if (finalLineBreak || i + 1 < lines.size())
            bytes += "\r\n";
    }
    return bytes;
}

QStringList catalogueListsOf(const QStringList& paths, const QStringList& filterItems)
{
    QStringList lists;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isFile() && !info.suffix().isEmpty() && isCatalogExtension(filterItems, info.suffix()))
            lists << path;
    }
    return lists;
}

} // namespace jvz
