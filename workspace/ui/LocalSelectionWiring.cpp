#include "LocalSelectionWiring.h"

#include "FavouritesCombo.h"
#include "LocalExplorerPane.h"
#include "LocalSelectionPane.h"
#include "core/AppSettings.h"
#include "core/CaseLookup.h"
#include "workspace/FavouritePaths.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QComboBox>
#include <QEvent>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

LocalSelectionWiring::LocalSelectionWiring(frmMainJVZ& window, LocalExplorerPane& explorer, const AppSettings& settings,
                                           Notifier& notifier, VolumeSource* volumes)
    : QObject(&window), m_window(window), m_explorer(explorer), m_settings(settings), m_volumes(volumes)
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
    m_combo = std::make_unique<FavouritesCombo>(ui.combo5, *m_favourites,
                                                [this](const QString& path) { m_explorer.GoToTypedPath(path); });
    m_combo->setDriveViewText([this] { return m_explorer.driveViewText(); });

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
    m_selection = std::make_unique<LocalSelectionPane>(
        ui.listView1, explorer.listModel(), ui.text3, controls, notifier, window.language(),
        [this] { return inputs(); }, [this] { return m_window.commands().isBusy(); });

    window.commands().wireCommand(Command::LocalDelFile, [this] { m_selection->DeleteLocalSelection(); });
    window.commands().wireCommand(Command::ContextAddPath, [this] {
        if (treeActive())
            m_favourites->AddFolderToFavourites(m_explorer.CurrentLocalFolder());
    });
    window.commands().wireCommand(Command::ContextDelPath, [this] {
        if (treeActive())
            m_favourites->RemoveFolderFromFavourites(m_explorer.CurrentLocalFolder());
    });
    // Nothing is chosen until the user chooses.
    for (Command c : {Command::LocalDelFile, Command::ContextDelete, Command::ContextCopy})
        window.commands().state().setSwitched(c, false);
    window.commands().state().setSwitched(Command::ContextAddPath, true);
    window.commands().state().setSwitched(Command::ContextDelPath, true);
    window.commands().apply();
    window.installEventFilter(this);
}

LocalSelectionWiring::~LocalSelectionWiring() = default;

LocalSelectionInputs LocalSelectionWiring::inputs() const
{
    LocalSelectionInputs in;
    in.ftpSessionOpen = m_window.commands().FtpSessionOpen();
    in.activityAsked = m_window.activityAsked();
    in.currentTerminalDir = m_window.currentTerminalDir();
    in.typeFilter = m_window.controls().combo2->currentText();
    in.packResetEnabled = m_window.commands().state().switchedOn(Command::PackReset);
    return in;
}

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

bool LocalSelectionWiring::treeActive() const
{
    return m_window.focusWidget() == m_window.controls().treeView1;
}

} // namespace jvz
