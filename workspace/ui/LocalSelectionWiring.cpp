#include "LocalSelectionWiring.h"

#include "FavouritesCombo.h"
#include "LocalExplorerPane.h"
#include "LocalSelectionPane.h"
#include "core/AppSettings.h"
#include "core/CaseLookup.h"
#include "workspace/FavouritePaths.h"
#include "workspace/ui/MainWindowControls.h"

#include <QComboBox>
#include <QEvent>
#include <QStatusBar>
#include <QTreeView>

namespace jvz {

LocalSelectionWiring::LocalSelectionWiring(const LocalPaneControls& site, LocalExplorerPane& explorer,
                                           const AppSettings& settings, Notifier& notifier, Hooks queries,
                                           VolumeSource* volumes)
    : QObject(&site.window), m_window(site.window), m_ui(site.controls), m_queries(std::move(queries)),
      m_explorer(explorer), m_settings(settings), m_volumes(volumes)
{
    setObjectName(QStringLiteral("LocalSelectionWiring"));
    const MainWindowControls& ui = m_ui;
    m_favourites = std::make_unique<FavouritePaths>(FavouritePaths::Options{}, notifier, site.language);
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
        ui.listView1, explorer.listModel(), ui.text3, controls, notifier, site.language, [this] { return inputs(); },
        site.busy);

    site.wireCommand(Command::LocalDelFile, [this] { m_selection->DeleteLocalSelection(); });
    site.wireCommand(Command::ContextAddPath, [this] {
        if (treeActive())
            m_favourites->AddFolderToFavourites(m_explorer.CurrentLocalFolder());
    });
    site.wireCommand(Command::ContextDelPath, [this] {
        if (treeActive())
            m_favourites->RemoveFolderFromFavourites(m_explorer.CurrentLocalFolder());
    });
    m_window.installEventFilter(this);
}

LocalSelectionWiring::~LocalSelectionWiring() = default;

LocalSelectionInputs LocalSelectionWiring::inputs() const
{
    const Hooks& q = m_queries;
    LocalSelectionInputs in;
    in.ftpSessionOpen = q.ftpSessionOpen && q.ftpSessionOpen();
    if (q.activity)
        in.activityAsked = q.activity();
    in.currentTerminalDir = q.terminalFolder ? q.terminalFolder() : QString();
    in.typeFilter = m_ui.combo2->currentText();
    in.packResetEnabled = q.packResetOn && q.packResetOn();
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
    return m_window.focusWidget() == m_ui.treeView1;
}

} // namespace jvz
