#include "LocalIcons.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

namespace jvz {

namespace {

struct IconSpec {
    const char* key;
    const char* theme;
    QStyle::StandardPixmap fallback;
};

const IconSpec kIcons[] = {
    {"My Computer", "computer", QStyle::SP_ComputerIcon},
    {"Drive", "drive-harddisk", QStyle::SP_DriveHDIcon},
    {"NetDrive", "folder-remote", QStyle::SP_DriveNetIcon},
    {"CdDrive", "drive-optical", QStyle::SP_DriveCDIcon},
    {"DiskDrive", "media-floppy", QStyle::SP_DriveFDIcon},
    {"RemovableDrive", "drive-removable-media", QStyle::SP_DriveHDIcon},
    {"ClsFolder", "folder", QStyle::SP_DirClosedIcon},
    {"OpenFolder", "folder-open", QStyle::SP_DirOpenIcon},
    {"RacFolder", "folder-publicshare", QStyle::SP_DirLinkIcon},
    {"CatFile", "text-x-generic-template", QStyle::SP_FileDialogDetailedView},
    {"Unknown", "text-x-generic", QStyle::SP_FileIcon},
    {"coche", "emblem-default", QStyle::SP_DialogApplyButton},
};

} // namespace

QIcon localExplorerIcon(const QString& imageKey)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(imageKey);
    if (it != cache.constEnd())
        return *it;
    QIcon icon;
    for (const IconSpec& s : kIcons) {
        if (imageKey == QLatin1String(s.key)) {
            icon = QIcon::fromTheme(QLatin1String(s.theme), QApplication::style()->standardIcon(s.fallback));
            break;
        }
    }
    cache.insert(imageKey, icon);
    return icon;
}

} // namespace jvz
