#pragma once

// Texts of the local explorer's status panels: the object count and the size of the listed files with the
// free space of the drive that holds the folder.

#include "platform/VolumeSource.h"

#include <QString>
#include <optional>

namespace jvz {

class MBLanguages;

enum class CountFormat {
    Plain,   // 1234
    Grouped, // 1,234
};

// The count, one blank and the "ObjectFound" label.
QString objectCountText(qint64 count, CountFormat format, const QString& label);

struct SizeLabels {
    QString bytes, kb, mb, gb, driveSpaceFree;
    static SizeLabels from(const MBLanguages& language);
};

// "12.5 Mb (free : 3.27 Gb)": the listed sizes (in Kb, as the list shows them) and the free space; empty
// when the free space cannot be read.
QString selectionSizeText(qint64 totalKb, const std::optional<DiskSpace>& space, const SizeLabels& labels);

// Numbers as the panels show them: "###0.0#" keeps one or two decimals, "##0.##" up to two.
QString formatOneOrTwoDecimals(double value);
QString formatUpToTwoDecimals(double value);

} // namespace jvz
