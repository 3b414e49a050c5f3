#pragma once

// The local file list's selection as the main window uses it: check marks, the catalogue comment in Text3,
// the commands a selection offers, the list's own keys (the catalogue and pack keys, Delete, Ctrl+B/C/J/A),
// its context menu, focus, the start of a drag, and the deletion of the chosen files. Enter, F5 and the double
// click belong to the local explorer; drops of terminal files on the list belong to the terminal list. A key
// that is also the shortcut of an enabled menu item runs that item, as menu keys come first; the list's own
// handling takes the key otherwise.

#include "workspace/LocalDeletion.h"
#include "workspace/LocalSelection.h"

#include <QLineEdit>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QTreeView;

namespace jvz {

class LocalListModel;
class MBLanguages;
class Notifier;

class LocalSelectionPane : public QObject {
    Q_OBJECT
public:
    // The state the selection's commands depend on, asked of the window at each update.
    using Inputs = std::function<LocalSelectionInputs()>;

    // The window's controls the list's keys, focus and menu reach; any may be absent.
    struct Controls {
        QMenu* catalog = nullptr;              // MNU_Catalog
        QMenu* catalogPack = nullptr;          // MNU_CatalogPack
        QAction* catalogSeparator = nullptr;   // MNU_C1
        QAction* packAdd = nullptr;            // F6
        QAction* packCreate = nullptr;         // Ctrl+F6
        QAction* packReset = nullptr;          // Ctrl+Shift+F6
        QAction* catalogCreate = nullptr;      // F7
        QAction* catalogFamily = nullptr;      // F8
        QAction* catalogDescription = nullptr; // F9
        QWidget* terminalList = nullptr;       // ListView2, Ctrl+J
        QWidget* statusBar3 = nullptr;         // bold while the list has the focus
        QMenu* contextMenu = nullptr;          // MNU_Contextuel
    };

    // The widgets are the window's; the model is the local explorer's list model shown by the list.
    LocalSelectionPane(QTreeView* list, LocalListModel& model, QLineEdit* text3, Controls controls, Notifier& notifier,
                       const MBLanguages& language, Inputs inputs, std::function<bool()> busy = {},
                       QObject* parent = nullptr);

    void setDeleter(FileDeleter deleter) { m_deleter = std::move(deleter); }

    void UpdateLocalSelection();
    void DeleteLocalSelection();
    void CopyNamesToClipboard();
    void SelectAllItems();
    // Every row of the list; only the selected ones carry their paths, the only paths ever read.
    std::vector<SelectionRow> rows() const;

signals:
    void selectionChanged(const LocalSelectionFlags& offered); // what the selection offers now
    void listingStale();                                       // a listed file is gone: the folder is read again
    void filesDeleted();                                       // the folder is listed again
    void dragPaused();                                         // dragging off for a moment
    void backFolderAsked();                                    // Ctrl+B
    void focused();                                            // the upload command goes off
    void dragStarted();                                        // a drag of local items starts here
    void beepAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ListView1_GotFocus();
    void ListView1_LostFocus();
    void ListView1_MouseUp(const QPoint& globalPos);
    void setCatalogueMenusVisible(bool visible);
    // Runs the menu entry (through the window's command table) when it and its menu are both enabled.
    static void runWhenEnabled(QMenu* menu, QAction* entry);
    bool filterViewportEvent(QEvent* event);

    QTreeView* m_list;
    // The list's viewport, kept from the start: while the window is destroyed the list may already be half gone
    // when its viewport still sends events here.
    QObject* m_listViewport;
    LocalListModel& m_model;
    QPointer<QLineEdit> m_text3; // the window may take it down first
    Controls m_controls;

    Notifier& m_notifier;
    const MBLanguages& m_language;
    FileDeleter m_deleter;
    Inputs m_inputs;
    std::function<bool()> m_busy; // a nested wait runs: the list's keys wait for it to end
    bool m_updating = false;
    QPoint m_pressPos;
    bool m_pressOnItem = false;
    bool m_dragReported = false;
};

} // namespace jvz
