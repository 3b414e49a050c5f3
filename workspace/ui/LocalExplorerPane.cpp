#include "LocalExplorerPane.h"

#include "core/AppSettings.h"
#include "core/CaseLookup.h"
#include "core/MBLanguages.h"
#include "core/MbWorkFile.h"
#include "core/ProgramInfo.h"
#include "platform/Notifier.h"
#include "workspace/FavouritePaths.h"
#include "workspace/LocalListing.h"
#include "workspace/ProductCodes.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace jvz {

LocalExplorerPane::LocalExplorerPane(const Controls& widgets, VolumeSource* volumes, const AppSettings& settings,
                                     MBLanguages& language, IconLookup icons, Hooks queries, QObject* parent)
    : QObject(parent), m_w(widgets), m_volumeSource(volumes), m_settings(settings), m_language(language),
      m_queries(std::move(queries)), m_list(icons), m_tree(icons), m_path(icons)
{
    if (!m_volumeSource) {
        m_ownVolumes = std::make_unique<SystemVolumeSource>();
        m_volumeSource = m_ownVolumes.get();
    }
    setObjectName(QStringLiteral("LocalExplorerPane"));
    m_tree.setRootText(label("MyComputer"));

    m_w.tree->setModel(&m_tree);
    m_w.tree->setHeaderHidden(true);
    m_w.tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_w.tree, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        if (!m_selecting && !busy())
            TreeView1_NodeClick(i);
    });
    connect(m_w.tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onTreeCurrentChanged(current); });
    connect(m_w.tree, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        if (!busy())
            TreeView1_Collapse(i);
    });
    connect(m_w.tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit treeMenuAsked(m_w.tree->viewport()->mapToGlobal(pos)); });
    m_w.tree->installEventFilter(this);

    // A header click turns the order round (ListView1_ColumnClick); the view must not sort by itself, or
    // attaching the model would sort it by the header's default (descending) order.
    m_w.list->setSortingEnabled(false);
    m_w.list->setModel(&m_list);
    m_list.sort(LocalListModel::NameColumn, Qt::AscendingOrder);
    m_w.list->setRootIsDecorated(false);
    m_w.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_w.list->setUniformRowHeights(true); // a folder of thousands of files stays quick to lay out
    m_w.list->header()->setSectionsClickable(true);
    m_w.list->header()->setSortIndicatorShown(true);
    m_w.list->header()->setSortIndicator(LocalListModel::NameColumn, Qt::AscendingOrder);
    connect(m_w.list->header(), &QHeaderView::sectionClicked, this, &LocalExplorerPane::ListView1_ColumnClick);
    connect(m_w.list, &QAbstractItemView::doubleClicked, this, [this] {
        if (!busy())
            OpenListItem();
    });
    m_w.list->installEventFilter(this);

    m_w.pathCombo->setModel(&m_path);
    connect(m_w.pathCombo, &QComboBox::activated, this, [this] {
        if (!busy())
            ImageCombo1_Click();
    });

    if (!m_w.typeCombo->isEditable())
        m_w.typeCombo->setEditable(true);
    m_w.typeCombo->setInsertPolicy(QComboBox::NoInsert);
    connect(m_w.typeCombo, &QComboBox::currentTextChanged, this, [this] { Combo2_Change(); });
    connect(m_w.typeCombo, &QComboBox::activated, this, [this] { Combo2_Click(); });
    m_w.typeCombo->installEventFilter(this);
    m_typeEdit = m_w.typeCombo->lineEdit();
    if (m_typeEdit)
        m_typeEdit->installEventFilter(this);
    connect(m_w.filter, &QLineEdit::textChanged, this, [this] { Filter_Change(); });
    m_w.filter->installEventFilter(this);

    // Dragging from the list is automatic again 250 ms after a selection change, and once after creation.
    m_dragTimer = new QTimer(this);
    m_dragTimer->setObjectName(QStringLiteral("TimerDragNDrop"));
    m_dragTimer->setInterval(250);
    connect(m_dragTimer, &QTimer::timeout, this, [this] {
        m_dragTimer->stop();
        m_w.list->setDragEnabled(true);
    });
    m_dragTimer->start();
}

// The models go with the pane; the views and the combo notice it and hold no dangling model.
LocalExplorerPane::~LocalExplorerPane() = default;

QString LocalExplorerPane::label(const char* key) const
{
    return m_language.GetFormLabel(QLatin1String(key));
}

bool LocalExplorerPane::busy() const
{
    return m_queries.busy && m_queries.busy();
}

QStringList LocalExplorerPane::filterItems() const
{
    QStringList items;
    for (int i = 0; i < m_w.typeCombo->count(); ++i)
        items.append(m_w.typeCombo->itemText(i));
    return items;
}

void LocalExplorerPane::setCountText(const QString& text)
{
    m_countText = text;
    emit statusChanged(m_countText, m_sizeText);
}

void LocalExplorerPane::setSizeText(const QString& text)
{
    m_sizeText = text;
    emit statusChanged(m_countText, m_sizeText);
}

void LocalExplorerPane::setFolderStatus(const QString& text)
{
    emit folderCaptionChanged(text);
}

void LocalExplorerPane::writeCount(CountFormat format)
{
    setCountText(objectCountText(m_list.rowCount(), format, label("ObjectFound")));
}

QModelIndex LocalExplorerPane::selectedNode() const
{
    return m_w.tree->currentIndex();
}

bool LocalExplorerPane::showsRoot() const
{
    const QModelIndex node = selectedNode();
    return !node.isValid() || m_tree.isRoot(node);
}

void LocalExplorerPane::selectNode(const QModelIndex& node)
{
    m_selecting = true;
    m_w.tree->setCurrentIndex(node);
    m_selecting = false;
}

void LocalExplorerPane::onTreeCurrentChanged(const QModelIndex& current)
{
    // A mouse press is handled by the click that follows; keys select at once.
    if (m_selecting || !current.isValid() || QGuiApplication::mouseButtons() != Qt::NoButton || busy())
        return;
    TreeView1_NodeClick(current);
}

void LocalExplorerPane::setCurrentFolder(const QByteArray& native)
{
    const QString folder = displayPath(native);
    m_currentNative = native;
    if (folder == m_currentFolder)
        return;
    m_currentFolder = folder;
    emit currentFolderChanged(m_currentFolder);
}

void LocalExplorerPane::startOnFirstShow(QWidget* window)
{
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

void LocalExplorerPane::start()
{
    if (m_started)
        return;
    m_started = true;
    MajListeLecteurs();
    BuildDriveTree();
    selectNode(m_tree.rootIndex());
    m_w.tree->expand(m_tree.rootIndex()); // the drives in view from the start
    ShowDrivesInList();
    writeCount(CountFormat::Grouped);
    OpenStartPath(m_tree.data(m_tree.rootIndex()).toString());
}

void LocalExplorerPane::MajListeLecteurs()
{
    m_volumes = m_volumeSource->volumes();
    m_drives = driveEntries(m_volumes, m_settings.gRemoteDirectory, DriveLabels::from(m_language));
}

void LocalExplorerPane::BuildDriveTree()
{
    m_tree.setRootText(driveViewText());
    m_tree.setDrives(m_drives);
    m_path.setDrives(driveViewText(), m_drives);
    m_w.pathCombo->setCurrentIndex(0);
}

void LocalExplorerPane::translate()
{
    m_tree.setRootText(driveViewText());
    m_path.setRootText(driveViewText());
}

void LocalExplorerPane::ShowDrivesInList()
{
    m_reads.supersedeLists(); // a folder still being read never replaces the drives
    m_list.showDrives(m_drives);
    m_w.list->resizeColumnToContents(LocalListModel::NameColumn); // drive names are never cut
    m_w.list->clearSelection();
    emit listingChanged(LocalListingChange::Shown);
}

void LocalExplorerPane::TreeView1_NodeClick(const QModelIndex& node)
{
    if (!node.isValid())
        return;
    if (m_inNodeClick) {
        // A click while a folder is being read: that read gives way, and this node is shown once it has.
        if (m_reads.waiting() > 0) {
            m_pendingNode = node;
            m_reads.supersedeLists();
        }
        return;
    }
    m_inNodeClick = true;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    QPersistentModelIndex next(node);
    while (next.isValid()) {
        const QModelIndex current = next;
        m_pendingNode = QPersistentModelIndex();
        selectNode(current);
        RefreshNode(current);
        m_w.tree->expand(current);
        ShowNodeContents(current);
        next = m_pendingNode;
    }
    QGuiApplication::restoreOverrideCursor();
    m_inNodeClick = false;
}

void LocalExplorerPane::TreeView1_Collapse(const QModelIndex&)
{
    if (m_inNodeClick)
        return;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    ShowNodeContents(selectedNode());
    QGuiApplication::restoreOverrideCursor();
}

void LocalExplorerPane::RefreshNode(const QModelIndex& node)
{
    if (!node.isValid())
        return;
    if (m_tree.isRoot(node)) {
        setCurrentFolder({});
        return;
    }
    m_tree.refreshChildren(node);
}

void LocalExplorerPane::RefreshSelectedNode()
{
    RefreshNode(selectedNode());
}

void LocalExplorerPane::ShowNodeContents(const QModelIndex& node)
{
    emit listingChanged(LocalListingChange::Opening);
    if (!node.isValid())
        return;
    if (!m_tree.isRoot(node)) {
        setCurrentFolder(m_tree.nativeFolderOf(node));
        setFolderStatus(m_currentFolder);
        TrimPathCombo();
        MajListeFichiers(m_currentNative);
        return;
    }
    setCurrentFolder({});
    setFolderStatus(QString());
    m_w.pathCombo->setCurrentIndex(0);
    MajListeLecteurs();
    BuildDriveTree();
    ShowDrivesInList();
    writeCount(CountFormat::Grouped);
    ShowLocalSelectionSize();
}

void LocalExplorerPane::RefreshLocalTree()
{
    const QModelIndex s = selectedNode();
    if (!s.isValid() || m_tree.kindOf(s) != LocalItemKind::Drive) {
        TreeView1_NodeClick(s.isValid() ? s : m_tree.rootIndex());
        return;
    }
    // A drive that was withdrawn since the tree was built takes the tree back to the root.
    const QString drive = m_tree.folderOf(s);
    for (const VolumeInfo& v : m_volumeSource->volumes()) {
        if (v.path == drive) {
            TreeView1_NodeClick(s);
            return;
        }
    }
    TreeView1_NodeClick(m_tree.rootIndex());
}

void LocalExplorerPane::GoToTypedPath(const QString& text)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The favourites keep the drive view under its stored name, whatever the language.
    if (text == FavouritePaths::kMyComputer || text == m_tree.data(m_tree.rootIndex()).toString()) {
        selectNode(m_tree.rootIndex());
    } else if (text.startsWith(QLatin1Char('/'))) {
        OpenPathInTree(text);
    }
    // A relative path names no folder here: it is never taken from the working folder.
    TreeView1_NodeClick(selectedNode());
    QGuiApplication::restoreOverrideCursor();
}

ListingOptions LocalExplorerPane::listingOptions() const
{
    ListingOptions options;
    options.typePattern = m_w.typeCombo->currentText();
    options.namePattern = m_w.filter->text();
    options.filterItems = filterItems();
    options.productCode = m_queries.productCode ? m_queries.productCode() : QString();
    return options;
}

void LocalExplorerPane::MajListeFichiers(const QByteArray& folder)
{
    bool superseded = false;
    const FolderListing listing = m_reads.listFolder(folder, listingOptions(), &superseded);
    if (superseded)
        return; // a newer read shows its own folder
    m_list.showFolder(folder, listing.entries);
    m_w.list->clearSelection();
    m_w.list->setCurrentIndex({});
    emit listingChanged(LocalListingChange::Shown);
    writeCount(CountFormat::Grouped);
    if (listing.readable)
        ShowLocalSelectionSize();
    else
        setSizeText(label("MSG_FolderUnreadable"));

    const QString shown = displayPath(folder);
    const int row = m_path.addFolderEntries(shown, volumeHolding(m_volumes, shown));
    if (row >= 0)
        m_w.pathCombo->setCurrentIndex(row);
}

void LocalExplorerPane::ShowLocalSelectionSize()
{
    ShowLocalSelectionSize(m_currentFolder);
}

void LocalExplorerPane::ShowLocalSelectionSize(const QString& folder)
{
    if (folder.isEmpty()) {
        setSizeText(QString());
        return;
    }
    qint64 totalKb = 0;
    for (int row = 0; row < m_list.rowCount(); ++row) {
        const qint64 size = m_list.size(row);
        if (size >= 0)
            totalKb += sizeInKb(size);
    }
    setSizeText(selectionSizeText(totalKb, m_volumeSource->diskSpace(folder), SizeLabels::from(m_language)));
}

void LocalExplorerPane::ListView1_ColumnClick(int)
{
    m_list.toggleSortOrder();
    m_w.list->header()->setSortIndicator(LocalListModel::NameColumn, m_list.sortOrder());
}

void LocalExplorerPane::OpenListItem()
{
    const QModelIndexList selected = m_w.list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    int row = INT_MAX;
    for (const QModelIndex& i : selected)
        row = qMin(row, i.row());
    const QString path = m_list.fullPath(row);
    const QByteArray native = m_list.nativePath(row);
    const QString key = m_list.imageKey(row);
    const LocalItemKind kind = m_list.kind(row);

    QByteArray probe = native;
    if (probe.size() > 1 && probe.endsWith('/'))
        probe.chop(1);
    struct stat st {};
    if (::lstat(probe.constData(), &st) != 0) {
        // Gone since the list was filled: the refresh drops it; there is nothing left to open.
        RefreshLocalTree();
        emit beepAsked();
        return;
    }
    switch (kind) {
    case LocalItemKind::Drive: {
        const QModelIndex node = m_tree.childWithPath(m_tree.rootIndex(), path);
        if (node.isValid())
            TreeView1_NodeClick(node);
        return;
    }
    case LocalItemKind::Folder: {
        QModelIndex node = m_tree.childWithPath(selectedNode(), path);
        if (!node.isValid()) {
            m_tree.refreshChildren(selectedNode());
            node = m_tree.childWithPath(selectedNode(), path);
        }
        if (!node.isValid())
            node = m_tree.findFolder(path); // the list shows a folder other than the selected node's
        if (node.isValid())
            TreeView1_NodeClick(node);
        return;
    }
    case LocalItemKind::FolderLink:
        probe = native;
        if (probe.endsWith('/'))
            probe.chop(1);
        OpenFolderShortcut(probe);
        return;
    case LocalItemKind::File:
        if (key == QLatin1String("CatFile"))
            return; // an unmarked catalogue list opens nothing
        emit fileOpenAsked({path, native, m_list.data(m_list.index(row, 0)).toString(), m_currentFolder, key});
        return;
    case LocalItemKind::Root:
        return;
    }
}

void LocalExplorerPane::OpenPathInTree(const QString& text)
{
    QString path;
    const QStringList fields = text.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0 && fields.at(i).isEmpty())
            continue;
        path += fields.at(i) + QLatin1Char('/');
        OpenFolderInTree(path);
    }
}

void LocalExplorerPane::OpenFolderShortcut(const QByteArray& linkPath)
{
    char* resolved = ::realpath(linkPath.constData(), nullptr);
    if (!resolved)
        return; // a dangling link opens nothing
    const QByteArray target(resolved);
    std::free(resolved);
    struct stat st {};
    if (::stat(target.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return; // a link to a file is not followed
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    OpenPathInTree(displayPath(target));
    TreeView1_NodeClick(selectedNode());
    QGuiApplication::restoreOverrideCursor();
}

void LocalExplorerPane::LocalBackFolder()
{
    emit listingChanged(LocalListingChange::Back);
    const QModelIndex s = selectedNode();
    if (!s.isValid() || m_tree.isRoot(s))
        return;
    const QModelIndex parent = s.parent();
    if (!m_tree.isRoot(parent)) {
        TreeView1_NodeClick(parent);
        return;
    }
    setCurrentFolder({});
    setFolderStatus(QString());
    TrimPathCombo();
    m_w.pathCombo->setCurrentIndex(0);
    selectNode(m_tree.rootIndex());
    ShowDrivesInList();
    writeCount(CountFormat::Grouped);
    ShowLocalSelectionSize();
}

void LocalExplorerPane::ImageCombo1_Click()
{
    const QString key = m_path.keyAt(m_w.pathCombo->currentIndex());
    if (key.isEmpty()) {
        // "My Computer": the drives, as a click on the tree's root shows them.
        TrimPathCombo();
        TreeView1_NodeClick(m_tree.rootIndex());
        return;
    }
    OpenFolderInTree(key);
}

void LocalExplorerPane::OpenFolderInTree(const QString& path)
{
    TrimPathCombo();
    const QModelIndex node = m_tree.findFolder(path);
    if (node.isValid()) {
        TreeView1_NodeClick(node);
        m_w.tree->expand(node);
        return;
    }
    setFolderStatus(path);
    writeCount(CountFormat::Grouped);
    ShowLocalSelectionSize(path);
}

void LocalExplorerPane::TrimPathCombo()
{
    m_path.trimFolders();
}

void LocalExplorerPane::OpenStartPath(const QString& path)
{
    // Names are looked up among the drive view's items: the first level is a drive path, the later ones the
    // folders below it. Only drives are opened from the drive view.
    const QStringList fields = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!path.startsWith(QLatin1Char('/')))
        return;
    QString current = QStringLiteral("/");
    OpenFolderInTree(current);
    for (const QString& f : fields) {
        current += f + QLatin1Char('/');
        OpenFolderInTree(current);
    }
}

void LocalExplorerPane::relistForFilters(CountFormat format)
{
    m_list.clear();
    setFolderStatus(m_currentFolder);
    if (!listCurrentFolder())
        return;
    writeCount(format);
    ShowLocalSelectionSize();
}

bool LocalExplorerPane::listCurrentFolder()
{
    const QByteArray folder = m_currentNative;
    bool superseded = false;
    const FolderListing listing = m_reads.listFolder(folder, listingOptions(), &superseded);
    if (superseded)
        return false; // a newer read shows its own folder
    m_list.showFolder(folder, listing.entries);
    m_w.list->clearSelection();
    emit listingChanged(LocalListingChange::Shown);
    return true;
}

void LocalExplorerPane::LoadCatalogFilters(ProductCodeTable& products, Notifier& notifier)
{
    QStringList lines;
    const QString path = resolvePathAnyCase(m_settings.gProgramFolder + QLatin1Char('/') + m_settings.gCataExtFile);
    MbWorkFile file(&notifier);
    if (file.OpenFile(path) == 0) {
        QString line;
        while (true) {
            if (file.ReadNextLine(line) != 0)
                break;
            if (file.EndFile())
                break;
            lines.append(line);
        }
        file.CloseFile();
    }
    const CatalogFilterLoad load = jvz::LoadCatalogFilters(lines, products);
    for (const QString& code : load.duplicates)
        notifier.message(label("MSG_DuplicateProductCode").replace(QStringLiteral("%ext%"), code),
                         QLatin1String(kProgramTitle), MessageIcon::Exclamation, MessageButtons::Ok, m_window);
    QComboBox* combo = m_w.typeCombo;
    combo->clear();
    for (const QString& item : load.filterItems) {
        combo->addItem(item);
        const QString code = item.mid(2);
        if (products.contains(code))
            combo->setItemData(combo->count() - 1, products.text(code), Qt::ToolTipRole);
    }
    combo->setEditText(!m_settings.gSelection.isEmpty() ? m_settings.gSelection : combo->itemText(0));
}

void LocalExplorerPane::Combo2_Change()
{
    emit listingChanged(LocalListingChange::FiltersEdited);
    if (!m_started || showsRoot())
        return; // the drive view does not depend on the filters
    relistForFilters(CountFormat::Plain);
}

void LocalExplorerPane::Filter_Change()
{
    Combo2_Change();
}

void LocalExplorerPane::Combo2_Click()
{
    // The pick already relisted through the text change; what is left are the commands.
    emit listingChanged(LocalListingChange::FilterPicked);
}

void LocalExplorerPane::Combo2_LostFocus()
{
    if (m_w.filter->text().isEmpty() && m_w.typeCombo->currentText().isEmpty())
        m_w.typeCombo->setCurrentText(QStringLiteral("*"));
}

void LocalExplorerPane::suspendDrag()
{
    m_w.list->setDragEnabled(false);
    m_dragTimer->start();
}

bool LocalExplorerPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Show && !m_started) {
        m_window->removeEventFilter(this);
        start();
        return QObject::eventFilter(watched, event);
    }
    const bool isCombo2 = watched == m_w.typeCombo || watched == m_typeEdit;
    if (event->type() == QEvent::FocusIn && (isCombo2 || watched == m_w.filter)) {
        QLineEdit* edit = watched == m_w.filter ? m_w.filter : m_typeEdit;
        if (edit)
            QTimer::singleShot(0, edit, &QLineEdit::selectAll); // after the click that gave the focus
    } else if (event->type() == QEvent::FocusOut && watched == m_w.typeCombo) {
        Combo2_LostFocus();
    } else if (event->type() == QEvent::KeyPress && (watched == m_w.tree || watched == m_w.list) && busy()) {
        return false; // a nested wait runs: the keys' commands wait for it to end
    } else if (event->type() == QEvent::KeyPress && watched == m_w.tree) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        if (shift && key->key() == Qt::Key_Insert) {
            emit addFavouriteAsked();
            return true;
        }
        if (shift && key->key() == Qt::Key_Delete) {
            emit removeFavouriteAsked();
            return true;
        }
        if (shift && key->key() == Qt::Key_F) {
            emit favouritesFocusAsked();
            return true;
        }
        if (key->key() == Qt::Key_F5) {
            TreeView1_NodeClick(selectedNode());
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && watched == m_w.list) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenListItem();
            return true;
        }
        if (key->key() == Qt::Key_B && (key->modifiers() & Qt::ControlModifier)) {
            LocalBackFolder();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace jvz
