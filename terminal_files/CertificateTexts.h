#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts of the certificate window, the print preview and the printer choice.
inline constexpr TextKey kCertificateTexts[] = {
    {"FrmReadCertifIntoFile", "Caption"},   {"FrmReadCertifIntoFile", "CmdPrint"},
    {"FrmReadCertifIntoFile", "CmdFermer"}, {"FrmReadCertifIntoFile", "LBL_FileName"},
    {"FrmReadCertifIntoFile", "LBL_Page"},  {"FrmReadCertifIntoFile", "MSG_PrintFailed"},
    {"frmPrintPreview", "Caption"},         {"frmPrintPreview", "CmdPrevious"},
    {"frmPrintPreview", "CmdNext"},         {"frmPrintPreview", "CmdClose"},
    {"frmPrintPreview", "LBL_PageOf"},      {"General", "MSG_PrinterSystemError"},
};

} // namespace jvz
