#pragma once

namespace jvz {

struct AppSettings;
class frmMainJVZ;
class LocalExplorerPane;

// Builds the local explorer on the main window's own controls (TreeView1, ListView1, ImageCombo1, Combo2,
// Filter), connects it to the window's status bars and commands, and has it fill itself when the window is
// first shown. A batch run never shows the window, so nothing is read there.
LocalExplorerPane* attachLocalExplorer(frmMainJVZ& window, const AppSettings& settings);

// The window's local explorer (for the helpers that set its hooks: favourites, the open-by-type dispatch).
LocalExplorerPane* localExplorerOf(const frmMainJVZ& window);

} // namespace jvz
