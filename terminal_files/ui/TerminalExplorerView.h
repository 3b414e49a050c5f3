#pragma once

// The terminal pane of the main window: the terminal list model shown in ListView2, with its filter box
// Combo3, its caption StatusBar4, its keys, context menu, drag and drop, and the two transfer commands
// (download of the local selection, upload of the terminal selection). The controller attaches to widgets the
// window already has; it creates none of them. The window runs Toolbar3's buttons through its commands.

#include "terminal_files/DownloadPlanner.h"
#include "terminal_files/TerminalExplorer.h"
#include "terminal_files/TerminalListModel.h"
#include "terminal_files/TerminalUpload.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QDropEvent;
class QComboBox;
class QMenu;
class QTreeView;
class QWidget;

namespace jvz {

// The main window's controls the pane works with, held by the caller.
struct TerminalExplorerControls {
    QTreeView* listView2 = nullptr;
    QComboBox* combo3 = nullptr;
    QWidget* statusBar4 = nullptr;     // a QLabel or a QStatusBar
    QWidget* localList = nullptr;      // ListView1: Ctrl+K gives it the focus; drags from it start the download
    QList<QWidget*> uploadDropTargets; // local panes whose drops of terminal items this pane handles itself
    QMenu* contextMenu = nullptr;      // MNU_Contextuel
    QWidget* window = nullptr;         // disabled while a transfer runs
};

// What the pane reads of the rest of the window; an empty query answers "none".
struct TerminalExplorerHooks {
    std::function<QList<LocalSelectedItem>()> localSelection; // ListView1's selected items, in list order
    std::function<QString()> localFolder;                     // the folder ListView1 shows, ending in "/"
    std::function<QString()> treeFolder; // the folder selected in TreeView1, "" for the root or none
    std::function<DownloadConfirmations()> confirmations;
    std::function<bool()> downloadEnabled; // DownloadEnabled
    // The window's busy flag, which busyChanged then asks it to hold; without one the pane keeps its own.
    std::function<bool()> isBusy;
    std::function<bool()> sessionProtocol;           // gNTProtocol; none: the session protocol
    std::function<uint8_t()> activityAsked;          // the Activity menu's choice; none: download
    std::function<QStringList()> catalogFilterItems; // Combo2's list
};

class TerminalExplorerView : public QObject, private TerminalListWindow {
    Q_OBJECT
public:
    // session: what the list asks of the session; what the pane reports comes out as its signals.
    TerminalExplorerView(TransferContext& ctx, TerminalListSession& session, TerminalExplorerControls widgets,
                         TerminalExplorerHooks queries, QObject* parent = nullptr);
    ~TerminalExplorerView() override;

    TerminalListModel& model() { return m_model; }
    TerminalExplorer& explorer() { return m_explorer; }

    // The window's column headers, in its language.
    void translate();

    // The session's two calls.
    void ClearTerminalList();
    void FtpEnumDirectory(const QString& directory);

    // Commands.
    void MNU_Terminal_Download_Click();
    void MNU_Terminal_Upload_Click();
    void OpenTerminalItem();
    void TerminalBackFolder();
    void DeleteTerminalSelection();
    void RefreshTerminalList();
    void Combo3_Click();
    void Combo3_Validate();

    // Which list the current drag started from: the local list reports its drags here.
    void localDragStarted();
    bool terminalDragStarted() const { return m_terminalDragStarted; }

    QList<int> selectedRows() const;
    QStringList selectedNames() const;               // as the terminal listed them
    QList<ListedTerminalFile> selectedFiles() const; // with the sizes their rows hold
    bool isBusy() const;

signals:
    void captionChanged(const QString& text);      // StatusBar4: the folder shown, a transfer's lines
    void localFilesChanged(const QString& folder); // files were fetched into the local folder
    void focused();                                // the list took the focus
    void copyNamesAsked();                         // Ctrl+C
    void deleteEnabledChanged(bool on);            // the window switches its delete commands
    void busyChanged(bool busy);                   // with the window's busy flag (isBusy)
    void showAllLocalFilesAsked();                 // Combo2 := "*.*"
    void fileOpenAsked(const QString& directory, const QString& name, qint64 listedBytes); // name as listed

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TerminalListWindow
    bool sessionProtocol() const override;
    uint8_t activityAsked() const override;
    QString filterText() const override;
    void setFilterText(const QString& text) override;
    QStringList catalogFilterItems() const override;
    void showCaption(const QString& text) override;
    void showAllLocalFiles() override;
    void openTerminalFile(const QString& directory, const QString& name, qint64 listedBytes) override;

    void attach();
    void ListView2_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ListView2_ItemClick();
    void ListView2_MouseUp(const QPoint& pos);
    void setStatusBar4Bold(bool bold);
    bool dropOnTerminalList(QEvent* event);
    bool answerDrop(QDropEvent* drop, bool allowed, bool& dragStarted, const std::function<void()>& command);
    bool dropOnLocalPane(QEvent* event);
    void setBusy(bool busy);
    void relistAll();

    TransferContext& m_ctx;
    TerminalListSession& m_session;
    TerminalExplorerControls m_w;
    TerminalExplorerHooks m_queries;
    TerminalListModel m_model;
    TerminalExplorer m_explorer;
    // ListView2's viewport, kept from the start: while the window is destroyed the list may already be half gone
    // when its viewport still sends events here.
    QObject* m_listViewport = nullptr;
    void enableDelete(bool on);

    bool m_busy = false;
    bool m_localDragStarted = false;
    bool m_terminalDragStarted = false;
    QPoint m_pressPos;
};

} // namespace jvz
