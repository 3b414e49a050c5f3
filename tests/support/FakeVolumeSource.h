#pragma once

#include "platform/VolumeSource.h"

#include <QMap>

namespace jvztest {

// Volumes as a test sets them up: mount points are folders of a scratch folder, free space is given per
// volume, and a volume can be withdrawn between two calls.
class FakeVolumeSource : public jvz::VolumeSource {
public:
    QList<jvz::VolumeInfo> list;
    QMap<QString, jvz::DiskSpace> space; // by mount point (ending in "/")
    mutable int reads = 0;

    QList<jvz::VolumeInfo> volumes() const override
    {
        ++reads;
        return list;
    }

    std::optional<jvz::DiskSpace> diskSpace(const QString& path) const override
    {
        const QString root = jvz::volumeHolding(list, path);
        if (root.isEmpty() || !space.contains(root))
            return std::nullopt;
        return space.value(root);
    }

    jvz::VolumeInfo& add(const QString& path, jvz::DriveKind kind, bool ready, const QString& label,
                         const QString& serial = QString(), const QString& share = QString())
    {
        jvz::VolumeInfo v;
        v.path = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        v.kind = kind;
        v.ready = ready;
        v.volumeName = label;
        v.serialNumber = serial;
        v.shareName = share;
        list.append(v);
        return list.last();
    }
};

} // namespace jvztest
