#include "DriveView.h"

#include "core/MBLanguages.h"

namespace jvz {

DriveLabels DriveLabels::from(const MBLanguages& language)
{
    return {language.GetGeneralLabel(QStringLiteral("MSG_Floppy")),
            language.GetGeneralLabel(QStringLiteral("MSG_CD_Drive")),
            language.GetGeneralLabel(QStringLiteral("MSG_UsbKey"))};
}

QList<DriveEntry> driveEntries(const QList<VolumeInfo>& volumes, bool remoteDirectory, const DriveLabels& labels)
{
    QList<DriveEntry> result;
    for (const VolumeInfo& v : volumes) {
        DriveEntry e;
        e.path = v.path;
        e.kind = v.kind;
        const QString suffix = QStringLiteral(" (") + v.path + QLatin1Char(')');
        switch (v.kind) {
        case DriveKind::Removable:
            // A drive that is not ready is not asked for its serial number.
            if (!v.ready || v.serialNumber.isEmpty()) {
                e.text = labels.floppy + suffix;
                e.imageKey = QStringLiteral("DiskDrive");
            } else {
                e.text = (v.volumeName.isEmpty() ? labels.usbKey : v.volumeName) + suffix;
                e.imageKey = QStringLiteral("RemovableDrive");
            }
            break;
        case DriveKind::Fixed:
            e.text = v.volumeName + suffix;
            e.imageKey = QStringLiteral("Drive");
            break;
        case DriveKind::Network:
            if (!remoteDirectory)
                continue;
            e.text = v.shareName + suffix;
            e.imageKey = QStringLiteral("NetDrive");
            break;
        case DriveKind::Optical:
            e.text = (v.ready ? v.volumeName : labels.cdDrive) + suffix;
            e.imageKey = QStringLiteral("CdDrive");
            break;
        case DriveKind::Unknown:
        case DriveKind::RamDisk:
            continue;
        }
        result.append(e);
    }
    return result;
}

bool isDriveImageKey(const QString& key)
{
    return key == QLatin1String("Drive") || key == QLatin1String("NetDrive") || key == QLatin1String("CdDrive") ||
           key == QLatin1String("DiskDrive") || key == QLatin1String("RemovableDrive");
}

} // namespace jvz
