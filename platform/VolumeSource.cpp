#include "VolumeSource.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

namespace jvz {

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QByteArray readAttribute(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}

bool isNetworkType(const QByteArray& type)
{
    static const char* const kTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p"};
    for (const char* t : kTypes) {
        if (type == t)
            return true;
    }
    return false;
}

// The file system's UUID, found among the /dev/disk/by-uuid links; empty when it has none.
QString uuidOf(const QByteArray& device)
{
    const QString target = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    if (target.isEmpty())
        return {};
    QDirIterator it(QStringLiteral("/dev/disk/by-uuid"), QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (QFileInfo(it.filePath()).canonicalFilePath() == target)
            return it.fileName();
    }
    return {};
}

} // namespace

bool SystemVolumeSource::isUserVolume(const QString& path, const QByteArray& fileSystemType)
{
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"}) {
        const QString prefix = QLatin1String(system);
        if ((path == prefix || path.startsWith(prefix + QLatin1Char('/'))) &&
            !path.startsWith(QStringLiteral("/run/media/")))
            return false;
    }
    return fileSystemType != "squashfs";
}

QString volumeHolding(const QList<VolumeInfo>& volumes, const QString& path)
{
    const QString wanted = withSlash(path);
    QString best;
    for (const VolumeInfo& v : volumes) {
        const QString root = withSlash(v.path);
        if (wanted.startsWith(root) && root.size() > best.size())
            best = root;
    }
    return best;
}

SystemVolumeSource::SystemVolumeSource(QString sysfsRoot, QString homeFolder)
    : m_sysfsRoot(std::move(sysfsRoot)), m_home(homeFolder.isEmpty() ? QDir::homePath() : std::move(homeFolder))
{
}

DriveKind SystemVolumeSource::classify(const QByteArray& fileSystemType, const QByteArray& device,
                                       const QString& sysfsRoot)
{
    if (isNetworkType(fileSystemType))
        return DriveKind::Network;
    if (!device.startsWith("/dev/"))
        return DriveKind::Unknown; // tmpfs, proc, overlay and the other file systems without a device
    QString name = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    if (name.isEmpty())
        name = QString::fromLocal8Bit(device);
    name = name.section(QLatin1Char('/'), -1);
    if (name.startsWith(QLatin1String("sr")))
        return DriveKind::Optical;
    if (name.startsWith(QLatin1String("zram")) || name.startsWith(QLatin1String("ram")))
        return DriveKind::RamDisk;
    const QString entry = sysfsRoot + QStringLiteral("/class/block/") + name;
    if (!QFileInfo::exists(entry))
        return DriveKind::Fixed;
    // A partition's own attributes live with its disk, one level up.
    QString disk = QFileInfo(entry).canonicalFilePath();
    if (disk.isEmpty())
        disk = entry;
    if (QFileInfo::exists(disk + QStringLiteral("/partition")))
        disk = disk.section(QLatin1Char('/'), 0, -2);
    if (readAttribute(disk + QStringLiteral("/removable")) == "1" || disk.contains(QLatin1String("/usb")))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

QList<VolumeInfo> SystemVolumeSource::volumes() const
{
    QList<VolumeInfo> result;
    auto describe = [](const QStorageInfo& s, const QString& path, DriveKind kind) {
        VolumeInfo v;
        v.path = withSlash(path);
        v.kind = kind;
        v.ready = s.isValid() && s.isReady() && QFileInfo(path).isReadable();
        v.volumeName = s.name();
        if (kind == DriveKind::Network)
            v.shareName = QString::fromLocal8Bit(s.device());
        else
            v.serialNumber = uuidOf(s.device());
        return v;
    };
    const QStorageInfo root = QStorageInfo::root();
    result.append(describe(root, QStringLiteral("/"), DriveKind::Fixed));
    const QStorageInfo home(m_home);
    if (withSlash(m_home) != QStringLiteral("/"))
        result.append(describe(home, m_home, DriveKind::Fixed));
    QStringList seen{QStringLiteral("/"), withSlash(m_home)};
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        const QString path = withSlash(s.rootPath());
        // A file bind-mounted by a container is no volume to browse.
        if (seen.contains(path) || !isUserVolume(s.rootPath(), s.fileSystemType()) || !QFileInfo(path).isDir())
            continue;
        seen.append(path);
        const DriveKind kind = classify(s.fileSystemType(), s.device(), m_sysfsRoot);
        if (kind == DriveKind::Unknown)
            continue;
        result.append(describe(s, s.rootPath(), kind));
    }
    return result;
}

std::optional<DiskSpace> SystemVolumeSource::diskSpace(const QString& path) const
{
    if (path.isEmpty())
        return std::nullopt;
    QStorageInfo s(path);
    if (!s.isValid() || !s.isReady())
        return std::nullopt;
    return DiskSpace{uint64_t(s.bytesAvailable()), uint64_t(s.bytesTotal())};
}

} // namespace jvz
