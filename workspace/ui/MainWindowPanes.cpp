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
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

// One row a signal: pane, what it says happened, what answers it. Each pane is connected once, when it exists: the
// local panes and the catalogue authoring with the window. The terminal pane and the file commands are the
// assembly's, which connects them (app/WindowAssembly.cpp).
void frmMainJVZ::connectPanes()
{
    using Explorer = LocalExplorerPane;
    using Selection = LocalSelectionPane;
    Explorer* explorer = m_localExplorer;
    LocalSelectionWiring* wiring = m_localSelection;
    Selection* selection = &wiring->selection();

    if (firstConnection(explorer)) {
        connect(explorer, &Explorer::currentFolderChanged, this,
                [this](const QString& f) { m_currentLocalFolder = f; });
        connect(explorer, &Explorer::statusTextChanged, this,
                [this](StatusPanel panel, const QString& t) { m_statusBars->SetStatusPanel(panel, t); });
        connect(explorer, &Explorer::folderCaptionChanged, this,
                [this](const QString& t) { m_statusBars->SetStatusBar3Panel(FolderBarPanel::CurrentFolder, t); });
        connect(explorer, &Explorer::catalogueCommandsOff, this, &frmMainJVZ::disableCatalogueCommands);
        connect(explorer, &Explorer::listingCleared, this, &frmMainJVZ::localListingCleared);
        connect(explorer, &Explorer::deleteCommandsOff, this, &frmMainJVZ::localDeleteCommandsOff);
        connect(explorer, &Explorer::transferCommandsRefreshed, this, &frmMainJVZ::RefreshTransferCommands);
        connect(explorer, &Explorer::commentCleared, m_ui.text3, &QLineEdit::clear);
        connect(explorer, &Explorer::addFavouriteAsked, this, [this] { runCommand(Command::ContextAddPath); });
        connect(explorer, &Explorer::removeFavouriteAsked, this, [this] { runCommand(Command::ContextDelPath); });
        connect(explorer, &Explorer::favouritesFocusAsked, this,
                [this] { m_ui.combo5->setFocus(Qt::ShortcutFocusReason); });
        connect(explorer, &Explorer::treeMenuAsked, this,
                [this](const QPoint& at) { showContextMenu(m_ui.treeView1, at); });
        connect(explorer, &Explorer::beepAsked, this, &QApplication::beep);
    }
    if (CatalogueAuthoring* authoring = m_authoring.get(); firstConnection(authoring)) {
        connect(authoring, &CatalogueAuthoring::packListChanged, this,
                [this, authoring] { switchCommand(Command::PackReset, !authoring->packListEmpty()); });
    }
    if (firstConnection(selection)) {
        connect(selection, &Selection::flagsChanged, this, &frmMainJVZ::applySelectionFlags);
        connect(selection, &Selection::listingStale, explorer, &Explorer::RefreshLocalTree);
        connect(selection, &Selection::filesDeleted, explorer,
                [explorer] { explorer->TreeView1_NodeClick(explorer->selectedNode()); });
        connect(selection, &Selection::dragPaused, explorer, &Explorer::suspendDrag);
        connect(selection, &Selection::backFolderAsked, explorer, &Explorer::LocalBackFolder);
        connect(selection, &Selection::focused, this, &frmMainJVZ::DisableUploadCommand);
        connect(selection, &Selection::beepAsked, this, &QApplication::beep);
        connect(&wiring->favourites(), &FavouritePaths::statusMessage, this,
                [this](const QString& text) { m_ui.statusBar2->showMessage(text, m_statusMessageMs); });
    }
}

bool frmMainJVZ::firstConnection(QObject* pane)
{
    if (!pane)
        return false;
    m_connectedPanes.removeAll(QPointer<QObject>());
    if (m_connectedPanes.contains(pane))
        return false;
    m_connectedPanes.append(pane);
    return true;
}

void frmMainJVZ::switchCommands(std::initializer_list<Command> commands, bool on)
{
    for (Command c : commands)
        m_commands.setSwitched(c, on);
    applyCommandState();
}

void frmMainJVZ::localListingCleared()
{
    switchCommands({Command::LocalDelFile, Command::ContextDelete, Command::ContextCopy}, false);
}

void frmMainJVZ::localDeleteCommandsOff()
{
    switchCommands({Command::LocalDelFile, Command::ContextDelete}, false);
}

void frmMainJVZ::disableCatalogueCommands(bool catalogMenuToo)
{
    if (catalogMenuToo && m_ui.mnuCatalog)
        m_ui.mnuCatalog->setEnabled(false);
    switchCommands({Command::CatalogDescription, Command::CatalogCreate, Command::CatalogFamily}, false);
}

void frmMainJVZ::applySelectionFlags(const LocalSelectionFlags& flags)
{
    m_commands.setSwitched(Command::LocalDelFile, flags.delFile);
    m_commands.setSwitched(Command::ContextDelete, flags.delFile);
    m_commands.setSwitched(Command::ContextCopy, flags.contextCopy);
    m_commands.setSwitched(Command::PackAdd, flags.packAdd);
    if (flags.packReset)
        m_commands.setSwitched(Command::PackReset, *flags.packReset);
    m_commands.setSwitched(Command::CatalogDescription, flags.catalogDescription);
    m_commands.setSwitched(Command::CatalogCreate, flags.catalogCreate);
    m_commands.setSwitched(Command::CatalogFamily, flags.catalogFamily);
    if (QMenu* catalog = m_ui.mnuCatalog)
        catalog->setEnabled(flags.catalog);
    m_commands.setDownloadSelection(flags.download);
    RefreshTransferCommands(flags.download); // applies the whole state
}

QString frmMainJVZ::currentTerminalDir() const
{
    return m_terminalSession ? m_terminalSession->currentTerminalDir : QString();
}

QString frmMainJVZ::terminalProductCode() const
{
    return m_terminalInfo ? m_terminalInfo->ProductCodeTerminal() : QString();
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
