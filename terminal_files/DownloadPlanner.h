#pragma once

// The interactive download of the local selection into the terminal, in two passes. The planner checks the
// whole selection before anything is sent (product code, listed files, network paths, descriptors, the
// confirmation the settings want, the maintenance rule, the exchange directory's free space) and says what
// to send where; the runner then sends it over the session's transfers.

#include "terminal_files/TransferContext.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

namespace jvz {

// One selected item of the local file list, in list order.
struct LocalSelectedItem {
    QString text;     // the name shown
    QString imageKey; // "CatFile", "ClsFolder", ...
};

enum class SelectedItemKind { CatalogueList, Descriptor, Folder, SingleFile };
SelectedItemKind selectedItemKind(const LocalSelectedItem& item);

// In the maintenance activity, component descriptors and signatures (names ending in "DF" or "GN" after a
// three-character extension) stay on the PC.
bool maintenanceKeepsBack(const QString& name);

struct DownloadConfirmations {
    bool mockup = false; // gConfirmMockupCatDL
    bool prod = false;   // gConfirmProdCatDL
    bool other = false;  // gConfirmOtherCatDL
};

struct DownloadRequest {
    QList<LocalSelectedItem> items;
    QString localFolder; // the folder ListView1 shows, ending in "/"
    DownloadConfirmations confirmations;
    uint8_t activity = 1; // 3: maintenance
};

struct DownloadStep {
    enum class Kind { ChangeDirectory, Put };
    Kind kind = Kind::Put;
    QString directory;  // ChangeDirectory: the terminal directory of a "-e" line
    QString name;       // Put: the local file's name
    QString folder;     // Put: its local folder, ending in "/"
    QString remoteName; // Put: the terminal name when it differs from the local one
    QString traceText;  // Put: the line as written in the list or descriptor
};

struct DownloadPlan {
    enum class Outcome {
        Send,          // the steps go to the terminal
        NothingToSend, // nothing counted: only the closing steps
        Refused,       // the selection does not suit the terminal (reported): the terminal is relisted
        Cancelled,     // the user said Cancel to the confirmation: nothing else happens
        NoSwapSpace,   // reported: nothing else happens
        SessionEnded,  // the free-space fetch ended the FTP session (reported): nothing else happens
    };
    Outcome outcome = Outcome::NothingToSend;
    int count = 0;
    bool maintenanceHeld = false;
    QList<DownloadStep> steps;
};

// The first pass. Adds the sizes bound for an exchange directory to the session's total and reads the free
// space once per connection, as the transfers' free-space check does.
DownloadPlan planDownload(TransferContext& ctx, const DownloadRequest& request);

struct DownloadRunHooks {
    std::function<bool()> sessionOpen;                 // the FTP session is still open
    std::function<void(const QString&)> setStatusBar4; // the terminal pane's caption
};

// The second pass: the plan's steps in order, stopping on a cancel, a failed directory change or a closed
// session. True when every step ran.
bool runDownload(TransferContext& ctx, const DownloadPlan& plan, const DownloadRunHooks& hooks);

// The whole command: both passes and the closing steps (maintenance message, progress window gone). True when
// the terminal list should be refilled for the current terminal directory.
bool DownloadSelectedCatalogues(TransferContext& ctx, const DownloadRequest& request, const DownloadRunHooks& hooks);

} // namespace jvz
