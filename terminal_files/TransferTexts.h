#pragma once

#include "core/TextKeys.h"

namespace jvz {

// The texts the catalogue transfers read, through the main window's language table.
inline constexpr TextKey kTransferTexts[] = {
    {"frmMainJVZ", "MSG_FileNotFound"},
    {"frmMainJVZ", "MSG_TransferCancelled"},
    {"frmMainJVZ", "MSG_CatalogueFileNotAdapted"},
    {"frmMainJVZ", "MSG_SwapSpace"},
    {"frmMainJVZ", "MSG_AllDelFile"},
    {"frmMainJVZ", "MSG_DescriptorBadTarget"},
    {"frmMainJVZ", "MSG_FtpSessionLost"},
    {"frmMainJVZ", "TRC_LeftOnTerminal"},
    {"frmMainJVZ", "TRC_LocalNameRefused"},
    {"frmMainJVZ", "MSG_LocalNameNotSendable"},
    {"frmMainJVZ", "FTPCmd"},
    {"frmMainJVZ", "PutOK"},
    {"frmMainJVZ", "GetOK"},
};

} // namespace jvz
