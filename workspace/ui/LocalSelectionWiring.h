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
    // The favourites are read when the window is first shown (a batch run never shows it).
    LocalSelectionWiring(frmMainJVZ& window, LocalExplorerPane& explorer, const AppSettings& settings,
                         Notifier& notifier);
    ~LocalSelectionWiring() override;

    // The volumes the favourites' start-up repair checks against; the machine's own without one.
    void setVolumeSource(VolumeSource& volumes) { m_volumes = &volumes; }

    FavouritePaths& favourites() { return *m_favourites; }
    LocalSelectionPane& selection() { return *m_selection; }

    // The pack window's reset button, for MNU_CatalogPack_Reset; without it the entry keeps its state.
    void setPackResetQuery(std::function<bool()> query) { m_packReset = std::move(query); }
    // MNU_ContextuelDelete while the terminal list is the active control.
    void setTerminalDelete(std::function<void()> remove) { m_terminalDelete = std::move(remove); }

    void LoadPathHistory();
    // The favourites' drive-view entry in the language now in force.
    void translate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFlags(const LocalSelectionFlags& flags);
    QWidget* activeControl() const;
    void ContextCopy();
    void ContextDelete();

    frmMainJVZ& m_window;
    LocalExplorerPane& m_explorer;
    const AppSettings& m_settings;
    std::unique_ptr<FavouritePaths> m_favourites;
    std::unique_ptr<FavouritesCombo> m_combo;
    std::unique_ptr<LocalSelectionPane> m_selection;
    std::function<bool()> m_packReset;
    std::function<void()> m_terminalDelete;
    std::unique_ptr<VolumeSource> m_ownVolumes;
    VolumeSource* m_volumes = nullptr;
    bool m_loaded = false;
};

// The local selection of the window, as attached by its constructor; null for none.
LocalSelectionWiring* localSelectionOf(const frmMainJVZ& window);

} // namespace jvz
