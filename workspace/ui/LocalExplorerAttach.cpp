#include "LocalExplorerAttach.h"

#include "LocalExplorerPane.h"
#include "core/ui/IconTable.h"
#include "frmMainJVZ.h"

namespace jvz {

LocalExplorerPane* attachLocalExplorer(frmMainJVZ& window, const AppSettings& settings, VolumeSource* volumes,
                                       LocalExplorerPane::Queries queries)
{
    const MainWindowControls& ui = window.controls();
    auto* pane =
        new LocalExplorerPane({.tree = ui.treeView1,
                               .list = ui.listView1,
                               .pathCombo = ui.imageCombo1,
                               .typeCombo = ui.combo2,
                               .filter = ui.filter},
                              volumes, settings, window.language(), &iconForImageKey, std::move(queries), &window);
    window.commands().wireCommand(Command::LocalRefresh, [pane] { pane->RefreshLocalTree(); });
    window.commands().wireCommand(Command::LocalBackFolder, [pane] { pane->LocalBackFolder(); });
    window.commands().wireCommand(Command::LocalBack, [pane] { pane->LocalBackFolder(); }); // Toolbar2 "back"
    pane->startOnFirstShow(&window);
    return pane;
}

} // namespace jvz
