#include "PathMapper.h"

namespace jvz {

namespace {
bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

bool hasDriveLetter(const QString& path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].unicode() < 128 && path[0].isLetter();
}

QString withSlashes(QString path)
{
    return path.replace(u'\\', u'/');
}
} // namespace

QString mapWindowsPath(const QString& path)
{
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]))
        return withSlashes(path);
    if (!hasDriveLetter(path))
        return withSlashes(path);
    QString rest = path.mid(2);
    if (rest.isEmpty())
        return QStringLiteral("/");
    if (!isSeparator(rest[0]))
        return withSlashes(rest); // "C:file" is relative to the current folder
    qsizetype i = 0;
    while (i < rest.size() && isSeparator(rest[i]))
        ++i;
    return QLatin1Char('/') + withSlashes(rest.mid(i));
}

bool isNetworkPath(const QString& localPath)
{
    return localPath.size() > 2 && localPath.startsWith(QLatin1String("//")) && localPath[2] != u'/';
}

} // namespace jvz
