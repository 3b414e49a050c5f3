#include "LocalExplorerAttach.h"

#include "LocalExplorerPane.h"
#include "core/ui/IconTable.h"
#include "workspace/ui/MainWindowControls.h"

#include <QWidget>

namespace jvz {

LocalExplorerPane* attachLocalExplorer(const LocalPaneControls& site, const AppSettings& settings,
                                       VolumeSource* volumes, std::function<QString()> productCode)
{
    const MainWindowControls& ui = site.controls;
    auto* pane = new LocalExplorerPane({.tree = ui.treeView1,
                                        .list = ui.listView1,
                                        .pathCombo = ui.imageCombo1,
                                        .typeCombo = ui.combo2,
                                        .filter = ui.filter},
                                       volumes, settings, site.language, &iconForImageKey,
                                       {.productCode = std::move(productCode), .busy = site.busy}, &site.window);
    site.wireCommand(Command::LocalRefresh, [pane] { pane->RefreshLocalTree(); });
    site.wireCommand(Command::LocalBackFolder, [pane] { pane->LocalBackFolder(); });
    site.wireCommand(Command::LocalBack, [pane] { pane->LocalBackFolder(); }); // Toolbar2 "back"
    pane->startOnFirstShow(&site.window);
    return pane;
}

} // namespace jvz
