#pragma once

#include "LocalExplorerPane.h"
#include "LocalPaneControls.h"

namespace jvz {

struct AppSettings;
class VolumeSource;

// Builds the local explorer on the main window's own controls (TreeView1, ListView1, ImageCombo1, Combo2,
// Filter), wires its commands, and has it fill itself when the window is first shown. A batch run never shows
// the window, so nothing is read there. The window connects its signals. volumes: null for the machine's own.
// productCode: the connected terminal's, whose package descriptor the list shows; empty without one.
LocalExplorerPane* attachLocalExplorer(const LocalPaneControls& site, const AppSettings& settings,
                                       VolumeSource* volumes, std::function<QString()> productCode);

} // namespace jvz
