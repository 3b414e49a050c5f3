#pragma once

// The terminal list's commands without widgets: listing a terminal directory into the list model, moving
// between directories, opening an entry, deleting entries and refreshing. The window's controls and the
// session are reached through hooks, so tests drive the same code with plain values.

#include "terminal_files/TerminalListModel.h"
#include "terminal_files/TransferContext.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

namespace jvz {

struct TerminalExplorerHooks {
    std::function<bool()> sessionOpen;                 // FtpSessionOpen
    std::function<bool()> sessionProtocol;             // gNTProtocol
    std::function<uint8_t()> activityAsked;            // the Activity menu's choice
    std::function<void(const QString&)> setStatusBar4; // the pane's caption
    std::function<QString()> filterText;               // Combo3
    std::function<void(const QString&)> setFilterText;
    std::function<void()> showAllLocalFiles;            // Combo2 := "*.*"
    std::function<void(const QString&)> seeProductCode; // the local filter of the terminal's product
    std::function<QStringList()> catalogFilterItems;    // Combo2's list
    std::function<bool(const QString&)> isFolderShortcut;
    // A file entry opened from the list: directory, name as listed and the size its row holds, which bounds
    // the fetch (the terminal file dispatch sets it).
    std::function<void(const QString&, const QString&, qint64)> openTerminalFile;
    std::function<void()> closeFtpSession;
    std::function<void(uint8_t, uint8_t)> sendTerminalMessage; // end-of-activity code, activity
};

class TerminalExplorer {
public:
    TerminalExplorer(TransferContext& ctx, TerminalListModel& model, TerminalExplorerHooks hooks);

    TerminalListModel& model() { return m_model; }
    TransferContext& context() { return m_ctx; }
    TerminalExplorerHooks& hooks() { return m_hooks; }

    // Lists the FTP session's current directory with the pattern (directory is the caller's label).
    void FtpEnumDirectory(const QString& directory, const QString& pattern);
    void ClearTerminalList();
    // The current directory again, with the filter box's pattern.
    void relist();

    // Opens the first selected row: a folder is entered, a ".SIZ" entry shows the disk, a file is opened.
    void OpenTerminalItem(const QList<int>& selectedRows);

    // Rows the list selects after going back: the exchange folder is deselected, the folder left selected.
    struct BackSelection {
        int deselect = -1;
        int select = -1;
    };
    BackSelection TerminalBackFolder();

    // Asks, deletes the selected rows' names, and relists whatever the answer. False when nothing was selected.
    bool DeleteTerminalSelection(const QList<int>& selectedRows);
    // name: as the terminal listed it.
    bool DeleteTerminalFile(const QString& name);
    void RefreshTerminalList();

    void Combo3_Click();
    void Combo3_Validate();

    void showDirectoryCaption();

private:
    QString label(const char* key) const { return m_ctx.label(key); }
    QString pattern() const;

    TransferContext& m_ctx;
    TerminalListModel& m_model;
    TerminalExplorerHooks m_hooks;
};

} // namespace jvz
