#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts the local explorer reads.
inline constexpr TextKey kLocalExplorerTexts[] = {
    {"General", "MSG_Floppy"},
    {"General", "MSG_CD_Drive"},
    {"General", "MSG_UsbKey"},
    {"frmMainJVZ", "MyComputer"},
    {"frmMainJVZ", "ObjectFound"},
    {"frmMainJVZ", "bytes"},
    {"frmMainJVZ", "Kb"},
    {"frmMainJVZ", "Mb"},
    {"frmMainJVZ", "Gb"},
    {"frmMainJVZ", "DriveSpaceFree"},
    {"frmMainJVZ", "MSG_FolderUnreadable"},
    {"frmMainJVZ", "ListView1.ColumnHeaders1"},
    {"frmMainJVZ", "ListView1.ColumnHeaders2"},
    {"frmMainJVZ", "ListView1.ColumnHeaders3"},
};

} // namespace jvz
