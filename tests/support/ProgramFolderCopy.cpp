#include "ProgramFolderCopy.h"

#include "Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace jvztest {

bool copyProgramFolder(const QString& target)
{
    const QDir bin(binDir());
    bool ok = true;
    QDirIterator it(bin.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString copy = target + QLatin1Char('/') + bin.relativeFilePath(source);
        QDir().mkpath(QFileInfo(copy).path());
        QFile::remove(copy);
        ok = QFile::copy(source, copy) && QFile::setPermissions(copy, QFileInfo(source).permissions()) && ok;
    }
    return ok;
}

} // namespace jvztest
