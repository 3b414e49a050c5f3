#include "BookmarkFile.h"

#include "core/Cp1252.h"
#include "platform/FileReader.h"

#include <QFile>
#include <QFileInfo>

namespace jvz {

namespace {
std::optional<QByteArray> readWholeFile(const QString& path, QString* reason)
{
    QFile file;
    if (!openRegularFile(file, path, reason))
        return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return std::nullopt;
    }
    return content;
}
} // namespace

BookmarkRead BookmarkFile::read(const QString& path, const Reader& reader)
{
    BookmarkRead result;
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        result.status = BookmarkRead::Status::Missing;
        return result;
    }
    QString reason;
    const std::optional<QByteArray> content = reader ? reader(path, &reason) : readWholeFile(path, &reason);
    if (!content) {
        result.status = BookmarkRead::Status::Unreadable;
        result.reason = reason;
        return result;
    }
    return parse(*content);
}

BookmarkRead BookmarkFile::parse(const QByteArray& content)
{
    BookmarkRead result;
    if (content.contains('\0')) {
        result.status = BookmarkRead::Status::NulByte;
        return result;
    }
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = content.size();
        qsizetype textEnd = end;
        if (!last && textEnd > start && content.at(textEnd - 1) == '\r')
            --textEnd;
        if (textEnd - start > MaxLineLength) {
            result.status = BookmarkRead::Status::LineTooLong;
            result.lines.clear();
            return result;
        }
        result.lines.append(Cp1252::decode(QByteArrayView(content).sliced(start, textEnd - start)));
        start = end + 1;
    }
    return result;
}

} // namespace jvz
