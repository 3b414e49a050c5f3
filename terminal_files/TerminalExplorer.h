#pragma once

// The terminal list's commands without widgets: listing a terminal directory into the list model, moving
// between directories, opening an entry, deleting entries and refreshing. The window and the session are reached
// through two interfaces, so tests drive the same code with plain values.

#include "session/TerminalListSession.h"
#include "terminal_files/TerminalListModel.h"
#include "terminal_files/TransferContext.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace jvz {

// The terminal list's window as the explorer sees it: what it reads there and what it tells it.
class TerminalListWindow {
public:
    virtual bool sessionProtocol() const = 0;  // gNTProtocol
    virtual uint8_t activityAsked() const = 0; // the Activity menu's choice
    virtual QString filterText() const = 0;    // Combo3
    virtual void setFilterText(const QString& text) = 0;
    virtual QStringList catalogFilterItems() const = 0; // Combo2's list
    virtual void showCaption(const QString& text) = 0;  // the pane's caption
    virtual void showAllLocalFiles() = 0;               // Combo2 := "*.*"
    // A file entry opened from the list: directory, name as listed and the size its row holds, which bounds
    // the fetch (the terminal file dispatch sets it).
    virtual void openTerminalFile(const QString& directory, const QString& name, qint64 listedBytes) = 0;

protected:
    ~TerminalListWindow() = default;
};

class TerminalExplorer {
public:
    TerminalExplorer(TransferContext& ctx, TerminalListModel& model, TerminalListSession& session,
                     TerminalListWindow& window);

    TerminalListModel& model() { return m_model; }
    TransferContext& context() { return m_ctx; }

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
    TerminalListSession& m_session;
    TerminalListWindow& m_window;
};

} // namespace jvz
