#include "core/ui/IconTable.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

namespace jvz {

namespace {

struct IconRow {
    const char* key;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

// Image keys of the panes, then the buttons of the icon bar and of the explorer toolbars.
constexpr IconRow kIcons[] = {
    {"My Computer", "computer", QStyle::SP_ComputerIcon},
    {"Drive", "drive-harddisk", QStyle::SP_DriveHDIcon},
    {"NetDrive", "folder-remote", QStyle::SP_DriveNetIcon},
    {"CdDrive", "media-optical", QStyle::SP_DriveCDIcon},
    {"DiskDrive", "media-floppy", QStyle::SP_DriveFDIcon},
    {"RemovableDrive", "drive-removable-media", QStyle::SP_DriveFDIcon},
    {"ClsFolder", "folder", QStyle::SP_DirClosedIcon},
    {"OpenFolder", "folder-open", QStyle::SP_DirOpenIcon},
    {"RacFolder", "folder-documents", QStyle::SP_DirLinkIcon},
    {"CatFile", "text-x-generic", QStyle::SP_FileDialogDetailedView},
    {"DescFile", "text-xml", QStyle::SP_FileDialogInfoView},
    {"Unknown", "unknown", QStyle::SP_FileIcon},
    {"coche", "emblem-default", QStyle::SP_DialogApplyButton},
    // icon bar
    {"Connect", "network-wired", QStyle::SP_DialogYesButton},
    {"Disconnect", "network-offline", QStyle::SP_DialogNoButton},
    {"Download", "go-next", QStyle::SP_ArrowRight},
    {"Upload", "go-previous", QStyle::SP_ArrowLeft},
    {"TerminalInfo", "document-properties", QStyle::SP_FileDialogContentsView},
    // explorer toolbars
    {"Refresh", "view-refresh", QStyle::SP_BrowserReload},
    {"BackFolder", "go-up", QStyle::SP_FileDialogToParent},
    {"DelFile", "edit-delete", QStyle::SP_TrashIcon},
    {"back", "go-previous", QStyle::SP_FileDialogBack},
    // the about box and the program's windows
    {"Program", "applications-system", QStyle::SP_ComputerIcon},
};

const IconRow* rowOf(const QString& key)
{
    for (const IconRow& row : kIcons)
        if (key == QLatin1String(row.key))
            return &row;
    return nullptr;
}

int g_lookups = 0;

} // namespace

bool isImageKey(const QString& key)
{
    return rowOf(key) != nullptr;
}

int iconLookups()
{
    return g_lookups;
}

QIcon iconForImageKey(const QString& key)
{
    // Made on the GUI thread only, like every window; the cache lives as long as the program.
    static QHash<QString, QIcon> cache;
    ++g_lookups;
    const IconRow* row = rowOf(key);
    if (!row)
        row = rowOf(QStringLiteral("Unknown"));
    const QString name = QLatin1String(row->key);
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QIcon icon = QIcon::fromTheme(QLatin1String(row->themeName));
    if (icon.isNull() && QApplication::style())
        icon = QApplication::style()->standardIcon(row->fallback);
    cache.insert(name, icon);
    return icon;
}

} // namespace jvz
