#include "terminal_files/ui/TerminalExplorerView.h"

#include "core/ui/IconTable.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeView>

namespace jvz {

namespace {

QWidget* viewportOf(QWidget* w)
{
    if (auto* view = qobject_cast<QAbstractScrollArea*>(w))
        return view->viewport();
    return w;
}

bool isWithin(QObject* object, QWidget* widget)
{
    for (QObject* o = object; o && widget; o = o->parent()) {
        if (o == widget)
            return true;
    }
    return false;
}

// Runs the window's busy bracket around one command, whatever way the command ends.
class BusyBracket {
public:
    explicit BusyBracket(std::function<void(bool)> set) : m_set(std::move(set)) { m_set(true); }
    ~BusyBracket() { m_set(false); }
    BusyBracket(const BusyBracket&) = delete;
    BusyBracket& operator=(const BusyBracket&) = delete;

private:
    std::function<void(bool)> m_set;
};

} // namespace

TerminalExplorerView::TerminalExplorerView(TransferContext& ctx, TerminalListSession& session,
                                           TerminalExplorerControls widgets, TerminalExplorerHooks queries,
                                           QObject* parent)
    : QObject(parent), m_ctx(ctx), m_session(session), m_w(widgets), m_queries(std::move(queries)),
      m_explorer(ctx, m_model, session, *this)
{
    m_model.setIconProvider(iconForImageKey);
    attach();
    translate();
}

TerminalExplorerView::~TerminalExplorerView() = default;

bool TerminalExplorerView::sessionProtocol() const
{
    return m_queries.sessionProtocol ? m_queries.sessionProtocol() : true;
}

uint8_t TerminalExplorerView::activityAsked() const
{
    return m_queries.activityAsked ? m_queries.activityAsked() : uint8_t(1);
}

QString TerminalExplorerView::filterText() const
{
    return m_w.combo3 ? m_w.combo3->currentText() : QStringLiteral("*.*");
}

void TerminalExplorerView::setFilterText(const QString& text)
{
    if (m_w.combo3)
        m_w.combo3->setEditText(text);
}

QStringList TerminalExplorerView::catalogFilterItems() const
{
    return m_queries.catalogFilterItems ? m_queries.catalogFilterItems() : QStringList();
}

void TerminalExplorerView::showCaption(const QString& text)
{
    emit captionChanged(text);
}

void TerminalExplorerView::showAllLocalFiles()
{
    emit showAllLocalFilesAsked();
}

void TerminalExplorerView::openTerminalFile(const QString& directory, const QString& name, qint64 listedBytes)
{
    emit fileOpenAsked(directory, name, listedBytes);
}

void TerminalExplorerView::translate()
{
    m_model.setHeaders(
        {m_ctx.label("TerminalListName"), m_ctx.label("TerminalListSize"), m_ctx.label("TerminalListDate")});
}

void TerminalExplorerView::attach()
{
    if (QTreeView* view = m_w.listView2) {
        view->setModel(&m_model);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDefaultDropAction(Qt::CopyAction);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->header()->setStretchLastSection(true);
        // Names are never cut: the name column follows the longest one listed.
        connect(&m_model, &QAbstractItemModel::modelReset, view, [view] {
            view->resizeColumnToContents(TerminalListModel::NameColumn);
            view->resizeColumnToContents(TerminalListModel::SizeColumn);
        });
        view->installEventFilter(this);
        m_listViewport = view->viewport();
        m_listViewport->installEventFilter(this);
        view->viewport()->setAcceptDrops(true);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { OpenTerminalItem(); });
        connect(view, &QAbstractItemView::clicked, this, [this] { ListView2_ItemClick(); });
        connect(view, &QWidget::customContextMenuRequested, this, &TerminalExplorerView::ListView2_MouseUp);
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (selectedRows().isEmpty())
                enableDelete(false);
        });
    }
    for (QWidget* pane : m_w.uploadDropTargets) {
        if (QWidget* target = viewportOf(pane)) {
            target->installEventFilter(this);
            target->setAcceptDrops(true);
        }
    }
    if (QComboBox* combo = m_w.combo3) {
        combo->setEditable(true);
        if (combo->count() == 0)
            combo->addItem(QStringLiteral("*.*"));
        if (combo->currentText().isEmpty())
            combo->setEditText(QStringLiteral("*.*"));
        connect(combo, &QComboBox::activated, this, [this] { Combo3_Click(); });
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this] { Combo3_Validate(); });
    }
}

bool TerminalExplorerView::isBusy() const
{
    return m_queries.isBusy ? m_queries.isBusy() : m_busy;
}

void TerminalExplorerView::setBusy(bool busy)
{
    if (m_queries.isBusy) {
        emit busyChanged(busy);
        return;
    }
    m_busy = busy;
    if (!m_w.window)
        return;
    m_w.window->setEnabled(!busy);
    if (!busy)
        m_w.window->activateWindow();
}

QList<int> TerminalExplorerView::selectedRows() const
{
    QList<int> rows;
    if (!m_w.listView2 || !m_w.listView2->selectionModel())
        return rows;
    for (const QModelIndex& i : m_w.listView2->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList TerminalExplorerView::selectedNames() const
{
    QStringList names;
    for (int row : selectedRows())
        names.append(m_model.rows().at(row).listedName);
    return names;
}

QList<ListedTerminalFile> TerminalExplorerView::selectedFiles() const
{
    QList<ListedTerminalFile> files;
    for (int row : selectedRows()) {
        const TerminalListRow& listed = m_model.rows().at(row);
        files.append({listed.listedName, listedBytes(listed.size)});
    }
    return files;
}

void TerminalExplorerView::ClearTerminalList()
{
    m_explorer.ClearTerminalList();
}

void TerminalExplorerView::FtpEnumDirectory(const QString& directory)
{
    m_explorer.FtpEnumDirectory(directory, filterText());
}

void TerminalExplorerView::relistAll()
{
    if (m_ctx.batch.gBatchMode)
        return;
    setFilterText(QStringLiteral("*.*"));
    m_explorer.FtpEnumDirectory(m_ctx.currentTerminalDir, QStringLiteral("*.*"));
}

void TerminalExplorerView::MNU_Terminal_Download_Click()
{
    if (isBusy())
        return;
    BusyBracket busy([this](bool on) { setBusy(on); });
    DownloadRequest request;
    if (m_queries.localSelection)
        request.items = m_queries.localSelection();
    if (m_queries.localFolder)
        request.localFolder = m_queries.localFolder();
    if (m_queries.confirmations)
        request.confirmations = m_queries.confirmations();
    request.activity = activityAsked();
    DownloadRunHooks runHooks{.sessionOpen = [this] { return m_session.FtpSessionOpen(); },
                              .setStatusBar4 = [this](const QString& text) { emit captionChanged(text); }};
    if (DownloadSelectedCatalogues(m_ctx, request, runHooks))
        relistAll();
}

void TerminalExplorerView::MNU_Terminal_Upload_Click()
{
    if (isBusy())
        return;
    BusyBracket busy([this](bool on) { setBusy(on); });
    const QString folder = m_queries.treeFolder ? m_queries.treeFolder() : QString();
    UploadSelectedTerminalFiles(
        m_ctx, selectedFiles(), folder,
        {.sessionOpen = [this] { return m_session.FtpSessionOpen(); },
         .refreshLocalList = [this](const QString& fetchedInto) { emit localFilesChanged(fetchedInto); }});
}

void TerminalExplorerView::OpenTerminalItem()
{
    if (!isBusy())
        m_explorer.OpenTerminalItem(selectedRows());
}

void TerminalExplorerView::TerminalBackFolder()
{
    if (isBusy())
        return;
    const TerminalExplorer::BackSelection selection = m_explorer.TerminalBackFolder();
    QItemSelectionModel* selectionModel = m_w.listView2 ? m_w.listView2->selectionModel() : nullptr;
    if (!selectionModel)
        return;
    if (selection.deselect >= 0)
        selectionModel->select(m_model.index(selection.deselect, 0),
                               QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    if (selection.select >= 0)
        selectionModel->setCurrentIndex(m_model.index(selection.select, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TerminalExplorerView::DeleteTerminalSelection()
{
    if (!isBusy())
        m_explorer.DeleteTerminalSelection(selectedRows());
}

void TerminalExplorerView::RefreshTerminalList()
{
    if (!isBusy())
        m_explorer.RefreshTerminalList();
}

void TerminalExplorerView::Combo3_Click()
{
    if (!isBusy())
        m_explorer.Combo3_Click();
}

void TerminalExplorerView::Combo3_Validate()
{
    if (!isBusy())
        m_explorer.Combo3_Validate();
}

void TerminalExplorerView::ListView2_ItemClick()
{
    const QModelIndex current = m_w.listView2 ? m_w.listView2->currentIndex() : QModelIndex();
    const bool file =
        current.isValid() && current.data(TerminalListModel::ImageKeyRole).toString() != QLatin1String("ClsFolder");
    enableDelete(file);
}

void TerminalExplorerView::enableDelete(bool on)
{
    emit deleteEnabledChanged(on);
}

void TerminalExplorerView::localDragStarted()
{
    m_localDragStarted = true;
    m_terminalDragStarted = false;
}

void TerminalExplorerView::ListView2_MouseUp(const QPoint& pos)
{
    if (!m_w.contextMenu || !m_w.listView2 || !m_session.FtpSessionOpen())
        return;
    m_w.contextMenu->popup(m_w.listView2->viewport()->mapToGlobal(pos));
}

void TerminalExplorerView::ListView2_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_F5:
        RefreshTerminalList();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenTerminalItem();
        return;
    case Qt::Key_Delete:
        DeleteTerminalSelection();
        return;
    case Qt::Key_B:
        if (m_session.FtpSessionOpen())
            TerminalBackFolder();
        return;
    case Qt::Key_C:
        if (ctrl)
            emit copyNamesAsked();
        return;
    case Qt::Key_K:
        if (ctrl && m_w.localList)
            m_w.localList->setFocus();
        return;
    case Qt::Key_A:
        if (ctrl && m_w.listView2)
            m_w.listView2->selectAll();
        return;
    default:
        return;
    }
}

void TerminalExplorerView::setStatusBar4Bold(bool bold)
{
    if (!m_w.statusBar4)
        return;
    QFont font = m_w.statusBar4->font();
    font.setBold(bold);
    m_w.statusBar4->setFont(font);
}

// A drag over a list is accepted when allowed; the drop itself also ends the drag and runs the command.
bool TerminalExplorerView::answerDrop(QDropEvent* drop, bool allowed, bool& dragStarted,
                                      const std::function<void()>& command)
{
    if (allowed)
        drop->acceptProposedAction();
    else
        drop->ignore();
    if (drop->type() == QEvent::Drop) {
        dragStarted = false;
        if (allowed)
            command();
    }
    return true;
}

bool TerminalExplorerView::dropOnTerminalList(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    // Only a drag of local items starts the download; a drag of the terminal list's own items does nothing.
    const bool fromLocal = !isWithin(drop->source(), m_w.listView2) &&
                           (m_localDragStarted || (drop->source() && isWithin(drop->source(), m_w.localList)));
    const bool allowed = fromLocal && m_queries.downloadEnabled && m_queries.downloadEnabled();
    return answerDrop(drop, allowed, m_localDragStarted, [this] { MNU_Terminal_Download_Click(); });
}

bool TerminalExplorerView::dropOnLocalPane(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const bool terminalItems = drop->mimeData() &&
                               drop->mimeData()->hasFormat(QString::fromLatin1(TerminalListModel::kMimeType)) &&
                               (m_terminalDragStarted || isWithin(drop->source(), m_w.listView2));
    if (!terminalItems)
        return false; // the local pane's own drags
    const bool allowed = activityAsked() == 2;
    return answerDrop(drop, allowed, m_terminalDragStarted, [this] { MNU_Terminal_Upload_Click(); });
}

bool TerminalExplorerView::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool dragEvent = type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
    if (watched == m_listViewport && dragEvent)
        return dropOnTerminalList(event);
    if (watched == m_listViewport) {
        // The view starts its drag on this move: the flags are set before any drop can land.
        if (type == QEvent::MouseButtonPress)
            m_pressPos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (type == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if ((mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance() &&
                m_w.listView2->indexAt(m_pressPos).isValid()) {
                m_terminalDragStarted = true;
                m_localDragStarted = false;
            }
        }
    }
    if (dragEvent) {
        for (QWidget* pane : m_w.uploadDropTargets) {
            if (watched == viewportOf(pane))
                return dropOnLocalPane(event);
        }
    }
    if (watched == m_w.listView2) {
        switch (type) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            ListView2_KeyDown(key->key(), key->modifiers());
            // Arrows, Page keys and typing stay the view's own.
            const bool handled = key->key() == Qt::Key_F5 || key->key() == Qt::Key_Return ||
                                 key->key() == Qt::Key_Enter || key->key() == Qt::Key_Delete ||
                                 key->key() == Qt::Key_B ||
                                 ((key->modifiers() & Qt::ControlModifier) &&
                                  (key->key() == Qt::Key_C || key->key() == Qt::Key_K || key->key() == Qt::Key_A));
            return handled;
        }
        case QEvent::FocusIn:
            setStatusBar4Bold(true);
            emit focused();
            break;
        case QEvent::FocusOut:
            setStatusBar4Bold(false);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace jvz
