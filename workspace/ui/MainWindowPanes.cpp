// The main window's panes as it connects them: what each pane says happened, and what answers it.
#include "LocalExplorerPane.h"
#include "LocalSelectionPane.h"
#include "LocalSelectionWiring.h"
#include "core/TerminalSession.h"
#include "workspace/FavouritePaths.h"
#include "workspace/LocalSelection.h"
#include "workspace/ui/CatalogueAuthoring.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

// One row a signal: pane, what it says happened, what answers it. Runs once, from the constructor, for the local
// panes and the catalogue authoring. The terminal pane and the file commands are the
// assembly's, which connects them (app/WindowAssembly.cpp).
void frmMainJVZ::connectPanes()
{
    using Explorer = LocalExplorerPane;
    using Selection = LocalSelectionPane;
    Explorer* explorer = m_localExplorer;
    LocalSelectionWiring* wiring = m_localSelection;
    Selection* selection = &wiring->selection();

    {
        connect(explorer, &Explorer::currentFolderChanged, this,
                [this](const QString& f) { m_currentLocalFolder = f; });
        connect(explorer, &Explorer::statusChanged, this, [this](const QString& count, const QString& size) {
            m_statusBars->SetStatusPanel(StatusPanel::ObjectCount, count);
            m_statusBars->SetStatusPanel(StatusPanel::SelectionSize, size);
        });
        connect(explorer, &Explorer::folderCaptionChanged,
                m_ui.bar3Panels.at(static_cast<size_t>(FolderBarPanel::CurrentFolder) - 1), &QLabel::setText);
        connect(explorer, &Explorer::listingChanged, this, &frmMainJVZ::localListingChanged);
        connect(explorer, &Explorer::addFavouriteAsked, this, [this] { m_commands->run(Command::ContextAddPath); });
        connect(explorer, &Explorer::removeFavouriteAsked, this, [this] { m_commands->run(Command::ContextDelPath); });
        connect(explorer, &Explorer::favouritesFocusAsked, this,
                [this] { m_ui.combo5->setFocus(Qt::ShortcutFocusReason); });
        connect(explorer, &Explorer::treeMenuAsked, this,
                [this](const QPoint& at) { showContextMenu(m_ui.treeView1, at); });
        connect(explorer, &Explorer::beepAsked, this, &QApplication::beep);
    }
    {
        CatalogueAuthoring* authoring = m_authoring.get();
        connect(authoring, &CatalogueAuthoring::packListChanged, this,
                [this, authoring] { m_commands->switchCommand(Command::PackReset, !authoring->packListEmpty()); });
    }
    {
        connect(selection, &Selection::selectionChanged, this, [this](const LocalSelectionFlags& offered) {
            m_commands->state().setLocalSelection(offered);
            m_commands->RefreshTransferCommands(offered.download); // applies the whole state
        });
        connect(selection, &Selection::listingStale, explorer, &Explorer::RefreshLocalTree);
        connect(selection, &Selection::filesDeleted, explorer,
                [explorer] { explorer->TreeView1_NodeClick(explorer->selectedNode()); });
        connect(selection, &Selection::dragPaused, explorer, &Explorer::suspendDrag);
        connect(selection, &Selection::backFolderAsked, explorer, &Explorer::LocalBackFolder);
        connect(selection, &Selection::focused, m_commands.get(), &WindowCommands::DisableUploadCommand);
        connect(selection, &Selection::beepAsked, this, &QApplication::beep);
        connect(&wiring->favourites(), &FavouritePaths::statusMessage, this,
                [this](const QString& text) { m_ui.statusBar2->showMessage(text, m_statusMessageMs); });
    }
}

// The commands of the selection the listing had go; a pick from Combo2 withdraws the download offer, and the
// drops with it. Going back a folder takes the catalogue list's comment away.
void frmMainJVZ::localListingChanged(LocalListingChange change)
{
    m_commands->state().localListingChanged(change);
    if (change == LocalListingChange::FilterPicked)
        m_commands->applyDrops();
    if (change == LocalListingChange::Back)
        m_ui.text3->clear();
    m_commands->apply();
}

QString frmMainJVZ::currentTerminalDir() const
{
    return m_terminalSession ? m_terminalSession->currentTerminalDir : QString();
}

// The context menu's commands act on the list that has the focus.
void frmMainJVZ::copyListNames()
{
    QWidget* active = focusWidget();
    if (active == m_ui.listView1) {
        m_localSelection->selection().CopyNamesToClipboard();
        return;
    }
    if (active != m_ui.listView2)
        return;
    // The terminal list: the same text, from its own selection.
    QTreeView* list = m_ui.listView2;
    QString text;
    if (list->model()) {
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            if (list->selectionModel()->isRowSelected(row, QModelIndex()))
                text += list->model()->index(row, 0).data().toString() + QStringLiteral("\r\n");
        }
    }
    QGuiApplication::clipboard()->clear();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void frmMainJVZ::deleteListSelection()
{
    QWidget* active = focusWidget();
    if (active == m_ui.listView1)
        m_localSelection->selection().DeleteLocalSelection();
    else if (active == m_ui.listView2)
        emit terminalListCommandAsked(Command::ContextDelete);
}

void frmMainJVZ::refreshFocusedList()
{
    QWidget* focused = QApplication::focusWidget();
    if (focused == m_ui.listView2)
        emit terminalListCommandAsked(Command::ContextRefresh);
    else if (focused == m_ui.listView1)
        m_localExplorer->RefreshLocalTree();
}

} // namespace jvz
