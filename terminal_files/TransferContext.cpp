#include "terminal_files/TransferContext.h"

#include "core/PerUserFolder.h"

#include <QDir>
#include <QTime>

namespace jvz {

double localSecondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

QString TransferContext::tempDir() const
{
    if (tempFolder.isEmpty())
        return GetAppTempDir();
    QDir().mkpath(tempFolder);
    return tempFolder.endsWith(u'/') ? tempFolder : tempFolder + u'/';
}

} // namespace jvz
