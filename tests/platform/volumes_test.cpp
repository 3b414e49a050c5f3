// Mounted volumes: the kind of a volume from its file system type and its sysfs entries (over a copied
// sysfs tree), and the volume that holds a path.
#include "FakeVolumeSource.h"
#include "TestEnv.h"
#include "platform/VolumeSource.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace jvz;

namespace {

void writeAttr(const QString& path, const QByteArray& value)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(value + "\n");
}

// A sysfs tree as the kernel lays it out: /class/block/<name> links into /devices/...; a partition is a
// folder of its disk holding a "partition" file.
QString makeSysfs()
{
    const QString root = QString::fromStdString(jvztest::makeScratchDir("sysfs"));
    const QString pci = root + QStringLiteral("/devices/pci0000:00/ata1/block/sda");
    const QString usb = root + QStringLiteral("/devices/pci0000:00/usb1/1-1/block/sdb");
    const QString card = root + QStringLiteral("/devices/platform/mmc0/block/mmcblk0");
    writeAttr(pci + QStringLiteral("/removable"), "0");
    writeAttr(pci + QStringLiteral("/sda1/partition"), "1");
    writeAttr(usb + QStringLiteral("/removable"), "0"); // many USB disks say 0: the bus decides
    writeAttr(usb + QStringLiteral("/sdb1/partition"), "1");
    writeAttr(card + QStringLiteral("/removable"), "1");
    writeAttr(card + QStringLiteral("/mmcblk0p1/partition"), "1");
    QDir().mkpath(root + QStringLiteral("/class/block"));
    const struct {
        const char* name;
        QString target;
    } links[] = {
        {"sda", pci},
        {"sda1", pci + "/sda1"},
        {"sdb", usb},
        {"sdb1", usb + "/sdb1"},
        {"mmcblk0p1", card + "/mmcblk0p1"},
    };
    for (const auto& l : links)
        EXPECT_TRUE(QFile::link(l.target, root + QStringLiteral("/class/block/") + QLatin1String(l.name)));
    return root;
}

} // namespace

TEST(Volumes, KindFromTypeAndSysfs)
{
    const QString sysfs = makeSysfs();
    const struct {
        const char* type;
        const char* device;
        DriveKind kind;
    } cases[] = {
        {"ext4", "/dev/sda1", DriveKind::Fixed},
        {"ext4", "/dev/sda", DriveKind::Fixed},
        {"vfat", "/dev/sdb1", DriveKind::Removable},      // on a USB bus
        {"vfat", "/dev/mmcblk0p1", DriveKind::Removable}, // removable attribute of its disk
        {"iso9660", "/dev/sr0", DriveKind::Optical},
        {"udf", "/dev/sr1", DriveKind::Optical},
        {"nfs", "srv:/export", DriveKind::Network},
        {"nfs4", "srv:/export", DriveKind::Network},
        {"cifs", "//srv/data", DriveKind::Network},
        {"smb3", "//srv/data", DriveKind::Network},
        {"fuse.sshfs", "u@srv:", DriveKind::Network},
        {"tmpfs", "tmpfs", DriveKind::Unknown},
        {"proc", "proc", DriveKind::Unknown},
        {"overlay", "overlay", DriveKind::Unknown},
        {"ext2", "/dev/zram0", DriveKind::RamDisk},
        {"xfs", "/dev/nvme9n9p9", DriveKind::Fixed}, // unknown to sysfs: fixed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " on " + c.device);
        EXPECT_EQ(SystemVolumeSource::classify(c.type, c.device, sysfs), c.kind);
    }
}

TEST(Volumes, VolumeHoldingAPath)
{
    jvztest::FakeVolumeSource v;
    v.add(QStringLiteral("/"), DriveKind::Fixed, true, QString());
    v.add(QStringLiteral("/home/u"), DriveKind::Fixed, true, QString());
    v.add(QStringLiteral("/media/usb"), DriveKind::Removable, true, QString());
    const struct {
        const char* path;
        const char* root;
    } cases[] = {
        {"/etc/", "/"},
        {"/home/u/docs/", "/home/u/"},
        {"/home/u", "/home/u/"},
        {"/home/user2/", "/"}, // a prefix of the name is not the folder
        {"/media/usb/", "/media/usb/"},
        {"", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(volumeHolding(v.list, QString::fromLatin1(c.path)), QString::fromLatin1(c.root));
    }
    EXPECT_EQ(volumeHolding({}, QStringLiteral("/x/")), QString());
}

TEST(Volumes, FakeSpaceFollowsTheVolume)
{
    jvztest::FakeVolumeSource v;
    v.add(QStringLiteral("/v1"), DriveKind::Fixed, true, QString());
    v.space.insert(QStringLiteral("/v1/"), {123, 456});
    ASSERT_TRUE(v.diskSpace(QStringLiteral("/v1/a/b/")).has_value());
    EXPECT_EQ(v.diskSpace(QStringLiteral("/v1/a/b/"))->freeBytes, 123u);
    EXPECT_FALSE(v.diskSpace(QStringLiteral("/elsewhere/")).has_value());
}

TEST(Volumes, RootAndHomeComeFirstAsFixedDrives)
{
    const QString home = QString::fromStdString(jvztest::makeScratchDir("home"));
    const SystemVolumeSource source(QStringLiteral("/sys"), home);
    const QList<VolumeInfo> volumes = source.volumes();
    ASSERT_GE(volumes.size(), 2);
    EXPECT_EQ(volumes[0].path, QStringLiteral("/"));
    EXPECT_EQ(volumes[0].kind, DriveKind::Fixed);
    EXPECT_EQ(volumes[1].path, home + QLatin1Char('/'));
    EXPECT_EQ(volumes[1].kind, DriveKind::Fixed);
    for (const VolumeInfo& v : volumes) {
        SCOPED_TRACE(v.path.toStdString());
        EXPECT_TRUE(v.path.endsWith(QLatin1Char('/')));
        EXPECT_NE(v.kind, DriveKind::Unknown) << "pseudo file systems are left out";
    }
    EXPECT_TRUE(source.diskSpace(home).has_value());
    EXPECT_FALSE(source.diskSpace(QString()).has_value());
}

TEST(Volumes, SystemMountsAreNoDrives)
{
    const struct {
        const char* path;
        const char* type;
        bool shown;
    } cases[] = {
        {"/", "ext4", true},
        {"/media/u/STICK", "vfat", true},
        {"/run/media/u/STICK", "vfat", true},
        {"/mnt/data", "xfs", true},
        {"/boot/efi", "vfat", true},
        {"/run/user/0", "tmpfs", false},
        {"/run", "tmpfs", false},
        {"/dev/shm", "tmpfs", false},
        {"/proc", "proc", false},
        {"/sys/fs/cgroup", "cgroup2", false},
        {"/snap/core/1", "squashfs", false},
        {"/opt/image", "squashfs", false},
        {"/devices", "ext4", true}, // only the folder /dev itself and below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SystemVolumeSource::isUserVolume(QString::fromLatin1(c.path), c.type), c.shown);
    }
}
