#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts start-up, the result file and the small windows of core read.
inline constexpr TextKey kCoreTexts[] = {
    {kGeneralTexts, "ToolTitle"},
    {kGeneralTexts, "ToolMnemo"},
    {kGeneralTexts, "MSG_ErrWriteResult"},
    {kGeneralTexts, "msg_CataExtMissing"},
    {kGeneralTexts, "msg_DefaultDirectoryFileMissing"},
    {kGeneralTexts, "msg_AlreadyRunning"},
    {"FrmWarningMsg", "Caption"},
    {"frmAnimCopie", "Caption"},
    {"frmAnimCopie", "BTN_Cancel"},
    {"frmAnimCopie", "LBL_From"},
    {"frmAnimCopie", "LBL_To"},
    {"frmAnimCopie", "LBL_TotalFile"},
    {"frmAnimCopie", "MSG_CancelConfirm"},
};

} // namespace jvz
