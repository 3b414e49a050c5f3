#include "MbFilename.h"

#include <QDir>
#include <QFileInfo>

namespace jvz {

namespace {
QString lastComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}
} // namespace

QString MbFilename::Extension() const
{
    const QString component = lastComponent(FullPath);
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot < 0 ? QString() : component.mid(dot + 1);
}

QString MbFilename::Name() const
{
    const QString component = lastComponent(FullPath);
    const QString extension = Extension();
    return extension.isEmpty() ? component : component.left(component.size() - extension.size() - 1);
}

QString MbFilename::Title() const
{
    return lastComponent(FullPath);
}

QString MbFilename::Path() const
{
    const QString title = Title();
    if (FullPath == title)
        return QStringLiteral(".");
    if (FullPath == QLatin1Char('/') + title)
        return {};
    QString folder = FullPath.left(FullPath.size() - title.size());
    if (folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

bool MbFilename::IsExist() const
{
    if (FullPath.isEmpty())
        return false;
    const QString title = Title();
    if (!title.contains(u'*') && !title.contains(u'?'))
        return QFileInfo::exists(FullPath);
    const QString folder = Path();
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    return !dir.entryList({title}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

} // namespace jvz
