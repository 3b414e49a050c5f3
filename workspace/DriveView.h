#pragma once

// The drives of the local explorer, as the drive view of the file list, the tree's drive nodes and the
// path combo's drive entries show them: one text and one image key per shown volume.

#include "platform/VolumeSource.h"

#include <QList>
#include <QString>

namespace jvz {

class MBLanguages;

struct DriveLabels {
    QString floppy;  // a removable drive without medium or serial number
    QString cdDrive; // an optical drive without a disc
    QString usbKey;  // a removable drive with a medium but no label
    static DriveLabels from(const MBLanguages& language);
};

struct DriveEntry {
    QString path; // the mount point, ending in "/"
    DriveKind kind = DriveKind::Unknown;
    QString text;
    QString imageKey;
};

// In the volumes' order; unknown kinds and RAM disks never, network volumes only when remoteDirectory is on.
QList<DriveEntry> driveEntries(const QList<VolumeInfo>& volumes, bool remoteDirectory, const DriveLabels& labels);

// True for the image keys of drive items.
bool isDriveImageKey(const QString& key);

} // namespace jvz
