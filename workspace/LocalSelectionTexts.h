#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts the local selection, the favourite folders and the local deletion read.
inline constexpr TextKey kLocalSelectionTexts[] = {
    {"frmMainJVZ", "ToolTipTextListView1"},
    {"frmMainJVZ", "MSG_DeletePath"},
    {"frmMainJVZ", "MSG_ImpossibleToFound"},
    {"frmMainJVZ", "MSG_CheckPath"},
    {"frmMainJVZ", "MSG_BookmarkUnreadable"},
    {"frmMainJVZ", "MSG_BookmarkNul"},
    {"frmMainJVZ", "MSG_BookmarkLongLine"},
    {"frmMainJVZ", "MSG_DelFile"},
    {"frmMainJVZ", "MSG_DelFiles1"},
    {"frmMainJVZ", "MSG_DelFiles2"},
    {"frmMainJVZ", "TIT_DelFile"},
    {"frmMainJVZ", "MSG_DeleteError"},
};

} // namespace jvz
