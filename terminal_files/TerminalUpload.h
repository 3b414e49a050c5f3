#pragma once

// The upload of terminal files: the selected entries of the terminal list are got, exactly as listed, into
// a local folder.

#include "terminal_files/TransferContext.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace jvz {

struct UploadHooks {
    std::function<bool()> sessionOpen;                    // the FTP session is still open
    std::function<void(const QString&)> refreshLocalList; // the local list, for the destination folder
};

// Whether an entry (as listed or as shown) is one of the terminal's disk-size pseudo-files, which are never
// fetched.
bool isDiskSizeEntry(const QString& name);

// A selected entry of the terminal list: its name as listed and the size its row holds (-1: unknown), which
// bounds what its fetch may bring.
struct ListedTerminalFile {
    QString listedName;
    qint64 listedBytes = -1;
};

// Gets every selected file but the ".SIZ" ones from the current terminal directory into destination (a local
// folder ending in "/"). An empty destination (the tree's root, or nothing chosen) gets nothing. Returns the
// number of files got. A get that ends the FTP session ends the walk.
int UploadSelectedTerminalFiles(TransferContext& ctx, const QList<ListedTerminalFile>& selected,
                                const QString& destination, const UploadHooks& hooks);

} // namespace jvz
