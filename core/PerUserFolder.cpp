#include "core/PerUserFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace jvz {

QString GetAppDataDir()
{
    // Built explicitly, not from the application name, so it never depends on how QCoreApplication was set up.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString path = base + QStringLiteral("/JVZ/");
    QDir().mkpath(path + QStringLiteral("temp"));
    return path;
}

QString GetAppTempDir()
{
    const QString path = GetAppDataDir() + QStringLiteral("temp/");
    QDir().mkpath(path);
    return path;
}

} // namespace jvz
