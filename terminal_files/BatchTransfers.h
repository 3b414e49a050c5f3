#pragma once

// The unattended actions on the catalogue list of the command line, run once the FTP session is open:
// download (c), delete (d) and upload (u). No dialog: every outcome goes to the run's result.

#include "terminal_files/TransferContext.h"

#include <QString>
#include <cstdint>

namespace jvz {

// Puts every file of the list into the terminal, after checking the list against the terminal's product
// code, every listed file and the exchange directory's free space. Always 0; the outcome is in ctx.batch.
int16_t DownloadCatalogFile(TransferContext& ctx, const QString& path);
// Deletes every listed file on the terminal.
int16_t DeleteCatalogFile(TransferContext& ctx, const QString& path);
// Gets every listed file from the terminal into the local folder the list gives it.
int16_t UploadCatalogFile(TransferContext& ctx, const QString& path);

// The action of the run's request (c, d or u) on its list; the download starts with fresh free-space
// bookkeeping, as every batch download does.
int16_t RunBatchAction(TransferContext& ctx);

// FtpChangeDirectory of the session: an empty path does nothing; a failure is reported. 0 or the error.
uint32_t changeTerminalDirectory(TransferContext& ctx, const QString& path);

} // namespace jvz
