#include "LocalExplorerAttach.h"

#include "LocalExplorerPane.h"
#include "core/ui/IconTable.h"
#include "frmMainJVZ.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

namespace jvz {

LocalExplorerPane* attachLocalExplorer(frmMainJVZ& window, const AppSettings& settings)
{
    const MainWindowControls& ui = window.controls();
    auto* pane = new LocalExplorerPane({ui.treeView1, ui.listView1, ui.imageCombo1, ui.combo2, ui.filter}, nullptr,
                                       settings, window.language(), &iconForImageKey, &window);
    LocalExplorerPane::Hooks h;
    h.statusBar2 = [&window](int panel, const QString& text) { window.SetStatusPanel(panel, text); };
    h.statusBar3Folder = [&window](const QString& text) { window.SetStatusBar3Panel(2, text); };
    h.disableCatalogCommands = [&window](bool catalogMenuToo) {
        if (catalogMenuToo && window.controls().mnuCatalog)
            window.controls().mnuCatalog->setEnabled(false);
        for (Command c : {Command::CatalogDescription, Command::CatalogCreate, Command::CatalogFamily})
            window.switchCommand(c, false);
    };
    h.listingCleared = [&window] {
        for (Command c : {Command::LocalDelFile, Command::ContextDelete, Command::ContextCopy})
            window.switchCommand(c, false);
    };
    h.disableDeleteCommands = [&window] {
        for (Command c : {Command::LocalDelFile, Command::ContextDelete})
            window.switchCommand(c, false);
    };
    h.refreshTransferCommands = [&window](bool enable) { window.RefreshTransferCommands(enable); };
    h.clearText3 = [&window] { window.controls().text3->clear(); };
    // The favourite commands belong to the favourites; the tree's keys run them as their menu items do.
    h.addFolderToFavourites = [&window] { window.runCommand(Command::ContextAddPath); };
    h.removeFolderFromFavourites = [&window] { window.runCommand(Command::ContextDelPath); };
    h.focusFavourites = [&window] { window.controls().combo5->setFocus(); };
    h.treeContextMenu = [&window](const QPoint& at) {
        if (window.controls().mnuContextuel2)
            window.controls().mnuContextuel2->popup(at);
    };
    h.beep = [] { QApplication::beep(); };
    h.busy = [&window] { return window.isBusy(); };
    pane->setHooks(std::move(h));
    QObject::connect(pane, &LocalExplorerPane::currentFolderChanged, &window,
                     [&window](const QString& folder) { window.CurrentLocalFolder = folder; });
    window.wireCommand(Command::LocalRefresh, [pane] { pane->RefreshLocalTree(); });
    window.wireCommand(Command::LocalBackFolder, [pane] { pane->LocalBackFolder(); });
    window.wireCommand(Command::LocalBack, [pane] { pane->LocalBackFolder(); }); // Toolbar2 "back"
    pane->startOnFirstShow(&window);
    return pane;
}

LocalExplorerPane* localExplorerOf(const frmMainJVZ& window)
{
    return window.localExplorer();
}

} // namespace jvz
