#pragma once

// Attaches the local selection, the favourite folders and the local deletion to the main window and to its
// local explorer: the list's selection pane, Combo5, the commands they run (Toolbar1 "DelFile", Toolbar2
// "back", the context entries) and the command states the selection switches.

#include <QObject>
#include <functional>
#include <memory>

namespace jvz {

struct AppSettings;
struct LocalSelectionFlags;
class FavouritePaths;
class FavouritesCombo;
class LocalExplorerPane;
class LocalSelectionPane;
class Notifier;
class VolumeSource;
class frmMainJVZ;

class LocalSelectionWiring : public QObject {
    Q_OBJECT
public:
    LocalSelectionWiring(frmMainJVZ& window, LocalExplorerPane& explorer, VolumeSource& volumes,
                         const AppSettings& settings, Notifier& notifier);
    ~LocalSelectionWiring() override;

    FavouritePaths& favourites() { return *m_favourites; }
    LocalSelectionPane& selection() { return *m_selection; }

    // The pack window's reset button, for MNU_CatalogPack_Reset; without it the entry keeps its state.
    void setPackResetQuery(std::function<bool()> query) { m_packReset = std::move(query); }
    // MNU_ContextuelDelete while the terminal list is the active control.
    void setTerminalDelete(std::function<void()> remove) { m_terminalDelete = std::move(remove); }

    // The favourites are read at the window's first activation, never in a batch run.
    void LoadPathHistory();

private:
    void applyFlags(const LocalSelectionFlags& flags);
    QWidget* activeControl() const;
    void ContextCopy();
    void ContextDelete();

    frmMainJVZ& m_window;
    LocalExplorerPane& m_explorer;
    std::unique_ptr<FavouritePaths> m_favourites;
    std::unique_ptr<FavouritesCombo> m_combo;
    std::unique_ptr<LocalSelectionPane> m_selection;
    std::function<bool()> m_packReset;
    std::function<void()> m_terminalDelete;
};

} // namespace jvz
