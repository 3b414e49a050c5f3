#pragma once

// The texts the terminal explorer and the interactive transfers read.

#include "core/TextKeys.h"

namespace jvz {

inline constexpr TextKey kTerminalExplorerTexts[] = {
    {"frmMainJVZ", "TerminalListName"},
    {"frmMainJVZ", "TerminalListSize"},
    {"frmMainJVZ", "TerminalListDate"},
    {"frmMainJVZ", "TerminalContent"},
    {"General", "FTPCmd"},
    {"General", "PutOK"},
    {"General", "GetOK"},
    {"General", "TRC_TerminalNameDropped"},
    {"General", "TRC_TerminalNameRefused"},
    {"General", "MSG_TerminalNameNotSendable"},
    {"General", "TRC_TerminalLineTooLong"},
    {"General", "TRC_TerminalSizeTooLarge"},
    {"General", "DelOK"},
    {"General", "DelKO"},
    {"General", "TRC_DelFile"},
    {"General", "TRC_DownloadedFile"},
    {"General", "TRC_UploadedFile"},
    {"General", "TRC_TerminalDisk"},
    {"General", "MSG_DelFile"},
    {"General", "MSG_DelFiles1"},
    {"General", "MSG_DelFiles2"},
    {"General", "TIT_DelFile"},
    {"General", "MSG_SIZ_VisibleItemsIn"},
    {"General", "MSG_SIZ_FreeSpace"},
    {"General", "MSG_SIZ_UsedSpace"},
    {"General", "MSG_SIZ_TotalSpace"},
    {"General", "MSG_SIZ_InfoAbout"},
    {"General", "MSG_ConfirmMockupCatDL"},
    {"General", "MSG_ConfirmProdCatDL"},
    {"General", "MSG_ConfirmOtherCatDL"},
    {"General", "MSG_ConfirmThisOperation"},
    {"General", "TIT_ConfirmCatDL"},
    {"General", "MSG_CatalogueFileNotAdapted"},
    {"General", "MSG_DescriptorFileNotAdapted"},
    {"General", "MSG_NetworkFileDenied"},
    {"General", "MSG_FileNotFound"},
    {"General", "MSG_SwapSpace"},
    {"General", "MSG_MaintenanceDlFiles"},
    {"General", "MSG_TerminalSessionClosed"},
};

} // namespace jvz
