#include "LocalSelectionPane.h"

#include "core/MBLanguages.h"
#include "workspace/LocalListModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

LocalSelectionPane::LocalSelectionPane(QTreeView* list, LocalListModel& model, QLineEdit* text3, Controls controls,
                                       Notifier& notifier, const MBLanguages& language, Inputs inputs,
                                       std::function<bool()> busy, QObject* parent)
    : QObject(parent), m_list(list), m_listViewport(list->viewport()), m_model(model), m_text3(text3),
      m_controls(controls), m_notifier(notifier), m_language(language), m_inputs(std::move(inputs)),
      m_busy(std::move(busy))
{
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->installEventFilter(this);
    m_listViewport->installEventFilter(this);
    if (QItemSelectionModel* selection = m_list->selectionModel()) {
        connect(selection, &QItemSelectionModel::selectionChanged, this, [this] { UpdateLocalSelection(); });
    }
    // A new listing has nothing chosen: the commands of the old selection go with it.
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { UpdateLocalSelection(); });
}

std::vector<SelectionRow> LocalSelectionPane::rows() const
{
    std::vector<SelectionRow> out;
    const int count = m_model.rowCount();
    out.reserve(size_t(count));
    const QItemSelectionModel* selection = m_list->selectionModel();
    for (int row = 0; row < count; ++row) {
        const QModelIndex index = m_model.index(row, 0);
        SelectionRow r;
        r.text = index.data(Qt::DisplayRole).toString();
        r.imageKey = m_model.imageKey(row);
        r.savedImageKey = index.data(LocalRole::SavedImageKey).toString();
        r.selected = selection && selection->isRowSelected(row, QModelIndex());
        r.kind = m_model.kind(row);
        // Each path is built anew: for every row of a 20,000-file folder that would hold the window up at
        // each listing and each click.
        if (r.selected) {
            r.fullPath = m_model.fullPath(row);
            r.nativePath = m_model.nativePath(row);
        }
        out.push_back(std::move(r));
    }
    return out;
}

void LocalSelectionPane::UpdateLocalSelection()
{
    if (m_updating)
        return; // the marks written below never start another update
    m_updating = true;
    m_list->setToolTip(m_language.GetFormLabel(QStringLiteral("ToolTipTextListView1")));
    if (m_text3)
        m_text3->clear();
    std::vector<SelectionRow> current = rows();
    const LocalSelectionInputs inputs = m_inputs ? m_inputs() : LocalSelectionInputs{};
    const LocalSelectionUpdate update = LocalSelection::UpdateLocalSelection(current, inputs, &m_notifier);
    for (int row : update.changedRows) {
        const QModelIndex index = m_model.index(row, 0);
        m_model.setData(index, current[size_t(row)].imageKey, LocalRole::ImageKey);
        m_model.setData(index, current[size_t(row)].savedImageKey, LocalRole::SavedImageKey);
    }
    if (m_text3)
        m_text3->setText(update.comment);
    m_updating = false;
    if (update.stopped) {
        emit dragPaused();
        emit listingStale();
        return;
    }
    emit selectionChanged(update.flags);
}

void LocalSelectionPane::DeleteLocalSelection()
{
    LocalDeletion deletion(m_notifier, m_language, m_deleter);
    const LocalDeletionOutcome outcome = deletion.DeleteLocalSelection(rows());
    if (outcome.result == LocalDeletionOutcome::Result::Beep)
        emit beepAsked();
    if (outcome.relist)
        emit filesDeleted();
}

void LocalSelectionPane::CopyNamesToClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const QString text = LocalSelection::clipboardText(rows());
    if (!text.isEmpty())
        clipboard->setText(text);
}

void LocalSelectionPane::SelectAllItems()
{
    m_list->selectAll();
}

void LocalSelectionPane::runWhenEnabled(QMenu* menu, QAction* entry)
{
    if (menu && entry && menu->menuAction()->isEnabled() && entry->isEnabled())
        entry->trigger();
}

bool LocalSelectionPane::ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_F6:
        if (shift && ctrl)
            runWhenEnabled(m_controls.catalogPack, m_controls.packReset);
        else if (!ctrl)
            runWhenEnabled(m_controls.catalogPack, m_controls.packAdd);
        else
            runWhenEnabled(m_controls.catalogPack, m_controls.packCreate);
        return true;
    case Qt::Key_F7:
        runWhenEnabled(m_controls.catalog, m_controls.catalogCreate);
        return true;
    case Qt::Key_F8:
        runWhenEnabled(m_controls.catalog, m_controls.catalogFamily);
        return true;
    case Qt::Key_F9:
        runWhenEnabled(m_controls.catalog, m_controls.catalogDescription);
        return true;
    case Qt::Key_Delete:
        DeleteLocalSelection();
        return true;
    case Qt::Key_B:
        if (!ctrl)
            return false;
        emit backFolderAsked();
        return true;
    case Qt::Key_C:
        if (!ctrl)
            return false;
        CopyNamesToClipboard();
        return true;
    case Qt::Key_J:
        if (!ctrl)
            return false;
        // Reached only while the terminal-information command is off: its menu shortcut takes Ctrl+J otherwise.
        if (QWidget* terminalList = m_controls.terminalList)
            terminalList->setFocus(Qt::ShortcutFocusReason);
        return true;
    case Qt::Key_A:
        if (!ctrl)
            return false;
        SelectAllItems();
        return true;
    default:
        return false;
    }
}

void LocalSelectionPane::setCatalogueMenusVisible(bool visible)
{
    for (QMenu* menu : {m_controls.catalogPack, m_controls.catalog}) {
        if (menu)
            menu->menuAction()->setVisible(visible);
    }
    if (QAction* separator = m_controls.catalogSeparator)
        separator->setVisible(visible);
}

void LocalSelectionPane::ListView1_GotFocus()
{
    if (QWidget* bar = m_controls.statusBar3) {
        QFont font = bar->font();
        font.setBold(true);
        bar->setFont(font);
    }
    emit focused();
    UpdateLocalSelection();
    setCatalogueMenusVisible(true);
}

void LocalSelectionPane::ListView1_LostFocus()
{
    if (m_text3)
        m_text3->clear();
    if (QWidget* bar = m_controls.statusBar3) {
        QFont font = bar->font();
        font.setBold(false);
        bar->setFont(font);
    }
    setCatalogueMenusVisible(false);
}

void LocalSelectionPane::ListView1_MouseUp(const QPoint& globalPos)
{
    if (QMenu* menu = m_controls.contextMenu)
        menu->popup(globalPos);
}

bool LocalSelectionPane::filterViewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressPos = mouse->position().toPoint();
        m_pressOnItem = mouse->button() == Qt::LeftButton && m_list->indexAt(m_pressPos).isValid();
        m_dragReported = false;
        return false;
    }
    case QEvent::MouseMove: {
        // The view starts its drag on this move; the flags must be set before the drop can land.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressOnItem && !m_dragReported && (mouse->buttons() & Qt::LeftButton) && m_list->dragEnabled() &&
            (mouse->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragReported = true;
            emit dragStarted();
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressOnItem = false;
        if (mouse->button() == Qt::RightButton) {
            ListView1_MouseUp(mouse->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool LocalSelectionPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listViewport)
        return filterViewportEvent(event);
    if (watched != m_list)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (m_busy && m_busy())
            return false; // Delete would otherwise remove files while a transfer runs
        auto* key = static_cast<QKeyEvent*>(event);
        return ListView1_KeyDown(key->key(), key->modifiers());
    }
    case QEvent::FocusIn:
        ListView1_GotFocus();
        return false;
    case QEvent::FocusOut: {
        // A popup (the context menu, a menu of the bar) does not take the list's place.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
            ListView1_LostFocus();
        return false;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace jvz
