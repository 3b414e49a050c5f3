#include "Paths.h"

#include <QDir>
#include <QtGlobal>

namespace jvztest {

QString binDir()
{
    return qEnvironmentVariable("JVZ_BIN_DIR", QStringLiteral(JVZ_TEST_BIN_DIR));
}

QString sourceDir()
{
    return qEnvironmentVariable("JVZ_SOURCE_DIR", QStringLiteral(JVZ_TEST_SOURCE_DIR));
}

QString screenshotFolder()
{
    const QString folder = binDir() + QStringLiteral("/../screenshots");
    QDir().mkpath(folder);
    return folder;
}

} // namespace jvztest
