#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts the folder chooser reads.
inline constexpr TextKey kFolderChooserTexts[] = {
    {"FrmDirBox", "Caption"},
    {"FrmDirBox", "CmdOK"},
    {"FrmDirBox", "CmdAnnuler"},
};

} // namespace jvz
