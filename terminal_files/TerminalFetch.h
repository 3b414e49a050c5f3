#pragma once

// Terminal files fetched into the per-user temp folder, and the free-space check of the exchange directory.

#include "terminal_files/TransferContext.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace jvz {

// A small file the program reads for itself, from directory + fileName into the temp folder under localName
// (fileName when blank), under the control files' bound. 0 or the error (InvalidParameter for a local name
// that is not a plain file name).
uint32_t getTerminalFileToTemp(TransferContext& ctx, const QString& directory, const QString& fileName,
                               const QString& localName = QString());

// Fetches directory + fileName (a terminal path such as "\SWAP\" and "ACTIVITY.INF") into the temp folder,
// under localName, or under fileName when localName is blank. A local name that is not a plain file name
// (it could come from the terminal) is refused. Silent: false on any failure.
bool FetchTerminalFileToTemp(TransferContext& ctx, const QString& directory, const QString& fileName, bool fromTerminal,
                             const QString& localName = QString());

// The leading number of a text as the settings read numbers (blanks, sign, digits, fraction, halves to
// even), in 64 bits; nothing when the number does not fit.
std::optional<int64_t> readLeadingInteger64(QStringView text);

// The free space of the exchange directory as ACTIVITY.INF gives it; nothing when the file cannot be read.
std::optional<int64_t> readDiskFreeSize(const QString& activityInfPath);

struct SwapCheck {
    int64_t swapFreeSize = -1; // -1: not read by this check
    bool enoughSpace = true;
    bool sessionEnded = false; // the fetch ended the FTP session; it was reported, the action ends
};

// Reads the terminal's free exchange space once per connection (when the current terminal directory is an
// exchange directory) and compares the files bound for it with that space.
SwapCheck SwapSpaceCheck(TransferContext& ctx);
// The reading half alone: the batch download reads before it adds up the sizes. A fetch that fails with the
// session still open is silent (-1, no comparison this time); one that ended the session is reported as the
// fetch's own failure (FtpGetFile) and sets sessionEnded.
int64_t ReadSwapFreeSize(TransferContext& ctx, bool* sessionEnded = nullptr);
bool swapSpaceSuffices(const TransferContext& ctx, int64_t swapFreeSize);

// A new FTP session: the exchange directory's free space is read again and the sizes start from zero.
void resetSwapBookkeeping(TerminalSession& session);

} // namespace jvz
