#pragma once

// The local explorer of the main window: the tree TreeView1, the file list ListView1, the path combo
// ImageCombo1 and the filters Combo2 and Filter, attached to the window's own widgets. The listing and the
// models are in workspace/; this class wires the controls and runs their handlers.

#include "platform/VolumeSource.h"
#include "workspace/DriveView.h"
#include "workspace/LocalListModel.h"
#include "workspace/LocalSelection.h"
#include "workspace/LocalStatusTexts.h"
#include "workspace/LocalTreeModel.h"
#include "workspace/PathComboModel.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QTimer;
class QTreeView;

namespace jvz {

struct AppSettings;
class MBLanguages;
class Notifier;
class ProductCodeTable;

// A file of the local list handed to the open-by-type dispatch.
struct LocalFileRef {
    QString path;      // as shown
    QByteArray native; // the exact bytes, to open
    QString name;      // the item's text
    QString folder;    // CurrentLocalFolder
    QString imageKey;  // "Unknown", "coche"...
};

class LocalExplorerPane : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QTreeView* tree = nullptr;      // TreeView1
        QTreeView* list = nullptr;      // ListView1
        QComboBox* pathCombo = nullptr; // ImageCombo1
        QComboBox* typeCombo = nullptr; // Combo2
        QLineEdit* filter = nullptr;    // Filter
    };

    // What the pane asks of the window; an empty query answers "no" or "".
    struct Hooks {
        std::function<QString()> productCode; // of the connected terminal; empty without one
        std::function<bool()> busy;           // a nested wait runs: clicks and keys of the panes do nothing
    };

    // Without a volume source the pane reads the machine's own volumes.
    LocalExplorerPane(const Controls& widgets, VolumeSource* volumes, const AppSettings& settings,
                      MBLanguages& language, IconLookup icons, Hooks queries = {}, QObject* parent = nullptr);
    ~LocalExplorerPane() override;

    // Before start(): the volumes to show (tests give a fake set).
    void setVolumeSource(VolumeSource& volumes) { m_volumeSource = &volumes; }
    // Runs before each folder read, on the read's thread (tests hold a read there).
    void setFolderReadHook(FolderReadHook hook) { m_reads.setReadHook(std::move(hook)); }
    // Before start(): how long a folder read is waited for before it counts as unreadable.
    void setFolderReadWaitLimit(int waitLimitMs) { m_reads.setWaitLimit(waitLimitMs); }
    // Starts the pane when the widget is first shown (an interactive start; a batch run never shows it).
    void startOnFirstShow(QWidget* window);

    // The first fill: drives read, tree built, root selected and the drives listed. Never in a batch run.
    void start();
    bool started() const { return m_started; }

    QString CurrentLocalFolder() const { return m_currentFolder; } // ends in "/"; empty at the root
    QByteArray currentNativeFolder() const { return m_currentNative; }
    LocalListModel& listModel() { return m_list; }
    LocalTreeModel& treeModel() { return m_tree; }
    PathComboModel& pathModel() { return m_path; }
    QStringList filterItems() const; // Combo2's list
    QTimer* dragTimer() const { return m_dragTimer; }

    // Tree
    void MajListeLecteurs();
    void BuildDriveTree();
    // The drive view's text in the tree and the path combo, after the language changed.
    void translate();
    void TreeView1_NodeClick(const QModelIndex& node);
    void TreeView1_Collapse(const QModelIndex& node);
    void RefreshNode(const QModelIndex& node);
    void RefreshSelectedNode();
    void ShowNodeContents(const QModelIndex& node);
    void RefreshLocalTree();
    void GoToTypedPath(const QString& text);
    // The drive view's name in the language file, as the tree, the path combo and the favourites show it.
    QString driveViewText() const { return label("MyComputer"); }
    // List
    void ShowDrivesInList();
    void MajListeFichiers(const QByteArray& folder);
    // Panel 2 of StatusBar2: the sizes of the listed files and the free space of the drive of the folder.
    void ShowLocalSelectionSize();
    void ShowLocalSelectionSize(const QString& folder);
    void ListView1_ColumnClick(int column);
    void OpenListItem();
    void OpenFolderShortcut(const QByteArray& linkPath);
    void LocalBackFolder();
    // Path combo
    void ImageCombo1_Click();
    void OpenFolderInTree(const QString& path);
    // An absolute path level by level: opening a level fills the nodes of the next one.
    void OpenPathInTree(const QString& path);
    void TrimPathCombo();
    void OpenStartPath(const QString& path);
    // Filters
    // Combo2's list from the catalogue extension file, with the product codes it names; a code named twice is
    // reported.
    void LoadCatalogFilters(ProductCodeTable& products, Notifier& notifier);
    void Combo2_Change();
    void Combo2_Click();
    void Filter_Change();
    void Combo2_LostFocus();
    // Dragging from the list stays off for 250 ms after a selection change.
    void suspendDrag();

    QModelIndex selectedNode() const;

signals:
    // The folder the list shows changed ("" for the drives).
    void currentFolderChanged(const QString& folder);
    // The objects listed and, beside it, the size of the listed files with the drive's free space (or why the
    // folder could not be read); either may be empty.
    void statusChanged(const QString& count, const QString& size);
    void folderCaptionChanged(const QString& text); // the folder named over the list
    void listingChanged(LocalListingChange change);
    void addFavouriteAsked();                     // Shift+Ins in the tree
    void removeFavouriteAsked();                  // Shift+Del in the tree
    void favouritesFocusAsked();                  // Shift+F in the tree
    void treeMenuAsked(const QPoint& globalPos);  // MNU_Contextuel2
    void fileOpenAsked(const LocalFileRef& file); // the file branches of OpenListItem
    void beepAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCurrentFolder(const QByteArray& native);
    void relistForFilters(CountFormat format);
    // False when a newer read took its place (the list is that read's).
    bool listCurrentFolder();
    ListingOptions listingOptions() const;
    void selectNode(const QModelIndex& node);
    void setCountText(const QString& text);
    void setSizeText(const QString& text);
    void setFolderStatus(const QString& text);
    void writeCount(CountFormat format);
    bool showsRoot() const;
    QString label(const char* key) const;
    bool busy() const;
    void onTreeCurrentChanged(const QModelIndex& current);

    Controls m_w;
    // Combo2's edit box, kept from the start: while the window is destroyed the combo may already be half gone
    // when its edit box still sends events here.
    QLineEdit* m_typeEdit = nullptr;
    std::unique_ptr<VolumeSource> m_ownVolumes;
    VolumeSource* m_volumeSource = nullptr;
    QWidget* m_window = nullptr;
    const AppSettings& m_settings;
    MBLanguages& m_language;
    Hooks m_queries;
    LocalListModel m_list;
    LocalTreeModel m_tree;
    PathComboModel m_path;
    QList<VolumeInfo> m_volumes;
    QList<DriveEntry> m_drives;
    QString m_currentFolder;
    QByteArray m_currentNative;
    QString m_countText;
    QString m_sizeText;
    QTimer* m_dragTimer = nullptr;
    bool m_started = false;
    ServedFolderReads m_reads;
    QPersistentModelIndex m_pendingNode; // clicked while a node's folder was being read
    bool m_inNodeClick = false;          // a node's fill is never re-entered
    bool m_selecting = false;            // selection changes made by the pane itself
};

} // namespace jvz
