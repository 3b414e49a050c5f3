#include "LocalSelectionWiring.h"

#include "FavouritesCombo.h"
#include "LocalExplorerPane.h"
#include "LocalSelectionPane.h"
#include "core/AppSettings.h"
#include "core/CaseLookup.h"
#include "workspace/FavouritePaths.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

namespace {
constexpr int kStatusMessageMs = 20000;
} // namespace

LocalSelectionWiring::LocalSelectionWiring(frmMainJVZ& window, LocalExplorerPane& explorer, const AppSettings& settings,
                                           Notifier& notifier)
    : QObject(&window), m_window(window), m_explorer(explorer), m_settings(settings)
{
    setObjectName(QStringLiteral("LocalSelectionWiring"));
    const MainWindowControls& ui = window.controls();
    m_favourites = std::make_unique<FavouritePaths>(FavouritePaths::Options{}, notifier, window.language());
    m_favourites->setVolumes([this] {
        if (!m_volumes) {
            m_ownVolumes = std::make_unique<SystemVolumeSource>();
            m_volumes = m_ownVolumes.get();
        }
        return systemBookmarkVolumes(*m_volumes);
    });
    m_favourites->setCurrentFolder([this] { return m_explorer.CurrentLocalFolder(); });
    connect(m_favourites.get(), &FavouritePaths::statusMessage, this,
            [this](const QString& text) { m_window.controls().statusBar2->showMessage(text, kStatusMessageMs); });
    m_combo = std::make_unique<FavouritesCombo>(ui.combo5, *m_favourites,
                                                [this](const QString& path) { m_explorer.GoToTypedPath(path); });
    m_combo->setDriveViewText([this] { return m_explorer.driveViewText(); });
    window.setPathHistorySaver([this] { m_favourites->SavePathHistory(); });

    // The tree's Shift+Ins and Shift+Del stay with the command table (LocalExplorerAttach): its busy check holds.
    explorer.hooks().focusFavourites = [this] { m_window.controls().combo5->setFocus(Qt::ShortcutFocusReason); };

    LocalSelectionPane::Controls controls;
    controls.catalog = ui.mnuCatalog;
    controls.catalogPack = ui.mnuCatalogPack;
    controls.catalogSeparator = ui.mnuC1;
    controls.packAdd = ui.action(Command::PackAdd);
    controls.packCreate = ui.action(Command::PackCreate);
    controls.packReset = ui.action(Command::PackReset);
    controls.catalogCreate = ui.action(Command::CatalogCreate);
    controls.catalogFamily = ui.action(Command::CatalogFamily);
    controls.catalogDescription = ui.action(Command::CatalogDescription);
    controls.terminalList = ui.listView2;
    controls.statusBar3 = ui.statusBar3;
    controls.contextMenu = ui.mnuContextuel;
    m_selection = std::make_unique<LocalSelectionPane>(ui.listView1, explorer.listModel(), ui.text3, controls, notifier,
                                                       window.language());
    LocalSelectionPane::Hooks hooks;
    hooks.inputs = [this] {
        LocalSelectionInputs in;
        in.ftpSessionOpen = m_window.FtpSessionOpen();
        in.activityAsked = m_window.ActivityAsked;
        in.currentTerminalDir = m_window.CurrentTerminalDir;
        in.typeFilter = m_window.controls().combo2->currentText();
        in.packResetEnabled = m_packReset ? m_packReset() : m_window.commandState().switchedOn(Command::PackReset);
        return in;
    };
    hooks.applyFlags = [this](const LocalSelectionFlags& flags) { applyFlags(flags); };
    hooks.refreshLocalTree = [this] { m_explorer.RefreshLocalTree(); };
    hooks.relistFolder = [this] { m_explorer.TreeView1_NodeClick(m_explorer.selectedNode()); };
    hooks.suspendDrag = [this] { m_explorer.suspendDrag(); };
    hooks.localBackFolder = [this] { m_explorer.LocalBackFolder(); };
    hooks.disableUploadCommand = [this] { m_window.DisableUploadCommand(); };
    hooks.dragStartedHere = [this] {
        m_window.LocalDragStarted = true;
        m_window.TerminalDragStarted = false;
    };
    m_selection->setHooks(std::move(hooks));

    window.wireCommand(Command::LocalDelFile, [this] { m_selection->DeleteLocalSelection(); });
    window.wireCommand(Command::ContextAddPath, [this] {
        if (activeControl() == m_window.controls().treeView1)
            m_favourites->AddFolderToFavourites(m_explorer.CurrentLocalFolder());
    });
    window.wireCommand(Command::ContextDelPath, [this] {
        if (activeControl() == m_window.controls().treeView1)
            m_favourites->RemoveFolderFromFavourites(m_explorer.CurrentLocalFolder());
    });
    window.wireCommand(Command::ContextCopy, [this] { ContextCopy(); });
    window.wireCommand(Command::ContextDelete, [this] { ContextDelete(); });
    // Nothing is chosen until the user chooses.
    for (Command c : {Command::LocalDelFile, Command::ContextDelete, Command::ContextCopy})
        window.commandState().setSwitched(c, false);
    window.commandState().setSwitched(Command::ContextAddPath, true);
    window.commandState().setSwitched(Command::ContextDelPath, true);
    window.applyCommandState();
    window.installEventFilter(this);
}

LocalSelectionWiring::~LocalSelectionWiring() = default;

void LocalSelectionWiring::LoadPathHistory()
{
    m_loaded = true;
    FavouritePaths::Options options;
    options.bookmarkPath = resolvePathAnyCase(m_settings.gProgramFolder + u'/' + m_settings.gBookmarkFile);
    options.updateBookmarks = m_settings.gUpdateBmk;
    options.autoBookmark = m_settings.gAutoBmk;
    m_favourites->setOptions(options);
    m_favourites->LoadPathHistory();
}

void LocalSelectionWiring::translate()
{
    m_combo->showState();
}

bool LocalSelectionWiring::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Show && !m_loaded)
        LoadPathHistory();
    return QObject::eventFilter(watched, event);
}

LocalSelectionWiring* localSelectionOf(const frmMainJVZ& window)
{
    return window.localSelection();
}

QWidget* LocalSelectionWiring::activeControl() const
{
    return m_window.focusWidget();
}

void LocalSelectionWiring::ContextCopy()
{
    QWidget* active = activeControl();
    if (active == m_window.controls().listView1) {
        m_selection->CopyNamesToClipboard();
        return;
    }
    if (active != m_window.controls().listView2)
        return;
    // The terminal list: the same text, from its own selection.
    QTreeView* list = m_window.controls().listView2;
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

void LocalSelectionWiring::ContextDelete()
{
    QWidget* active = activeControl();
    if (active == m_window.controls().listView1)
        m_selection->DeleteLocalSelection();
    else if (active == m_window.controls().listView2 && m_terminalDelete)
        m_terminalDelete();
}

void LocalSelectionWiring::applyFlags(const LocalSelectionFlags& flags)
{
    CommandState& state = m_window.commandState();
    state.setSwitched(Command::LocalDelFile, flags.delFile);
    state.setSwitched(Command::ContextDelete, flags.delFile);
    state.setSwitched(Command::ContextCopy, flags.contextCopy);
    state.setSwitched(Command::PackAdd, flags.packAdd);
    if (flags.packReset)
        state.setSwitched(Command::PackReset, *flags.packReset);
    state.setSwitched(Command::CatalogDescription, flags.catalogDescription);
    state.setSwitched(Command::CatalogCreate, flags.catalogCreate);
    state.setSwitched(Command::CatalogFamily, flags.catalogFamily);
    if (QMenu* catalog = m_window.controls().mnuCatalog)
        catalog->setEnabled(flags.catalog);
    state.setDownloadSelection(flags.download);
    m_window.RefreshTransferCommands(flags.download); // applies the whole state
}

} // namespace jvz
