#pragma once

// The machine's mounted volumes, as the local explorer shows them as drives. The production source reads
// QStorageInfo and tells the kinds apart through sysfs; tests use a fake rooted in a scratch folder.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace jvz {

// Numbered as the drive kinds the explorer's drive table is written in.
enum class DriveKind : int {
    Unknown = 0,
    Removable = 1,
    Fixed = 2,
    Network = 3,
    Optical = 4,
    RamDisk = 5,
};

struct VolumeInfo {
    QString path; // the mount point, ending in "/" ("/", "/media/usb/")
    DriveKind kind = DriveKind::Unknown;
    bool ready = false;   // mounted and readable
    QString serialNumber; // the file system's UUID; empty stands for the serial number 0
    QString volumeName;   // the file system's label
    QString shareName;    // network volumes: what is mounted ("//srv/data", "srv:/export")
};

struct DiskSpace {
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
};

class VolumeSource {
public:
    virtual ~VolumeSource() = default;

    // The volumes in their listing order: the root file system and the user's home folder first.
    virtual QList<VolumeInfo> volumes() const = 0;
    // Space of the volume that holds the path; nothing when it cannot be read.
    virtual std::optional<DiskSpace> diskSpace(const QString& path) const = 0;
};

// The mount point among the volumes that holds the path (the longest one that prefixes it); empty when none.
QString volumeHolding(const QList<VolumeInfo>& volumes, const QString& path);

// The real machine: QStorageInfo::mountedVolumes(), pseudo file systems left out.
class SystemVolumeSource : public VolumeSource {
public:
    // sysfsRoot and homeFolder are parameters so the classification can run over a copied tree.
    explicit SystemVolumeSource(QString sysfsRoot = QStringLiteral("/sys"), QString homeFolder = QString());

    QList<VolumeInfo> volumes() const override;
    std::optional<DiskSpace> diskSpace(const QString& path) const override;

    // The kind of one mounted file system: network types by name, optical and removable block devices by
    // their sysfs entries, everything else on a block device fixed; no block device at all is unknown.
    static DriveKind classify(const QByteArray& fileSystemType, const QByteArray& device, const QString& sysfsRoot);

    // False for the system's own mounts (/proc, /sys, /dev, /run but /run/media, /snap) and package images.
    static bool isUserVolume(const QString& mountPoint, const QByteArray& fileSystemType);

private:
    QString m_sysfsRoot;
    QString m_home;
};

} // namespace jvz
