#pragma once

// Attaches the local selection, the favourite folders and the local deletion to the main window and to its
// local explorer: the list's selection pane, Combo5 and the commands they run (Toolbar1 "DelFile", the
// favourite entries of the tree's menu). The window connects the selection pane's signals.

#include <QObject>
#include <memory>

namespace jvz {

struct AppSettings;
struct LocalSelectionInputs;
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
    // The favourites are read when the window is first shown (a batch run never shows it). volumes: what the
    // favourites' start-up repair checks against; null for the machine's own.
    LocalSelectionWiring(frmMainJVZ& window, LocalExplorerPane& explorer, const AppSettings& settings,
                         Notifier& notifier, VolumeSource* volumes = nullptr);
    ~LocalSelectionWiring() override;

    // Before the window is first shown: the volumes to check against (tests give a fake set).
    void setVolumeSource(VolumeSource& volumes) { m_volumes = &volumes; }

    FavouritePaths& favourites() { return *m_favourites; }
    LocalSelectionPane& selection() { return *m_selection; }

    void LoadPathHistory();
    // The favourites' drive-view entry in the language now in force.
    void translate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LocalSelectionInputs inputs() const;
    bool treeActive() const;

    frmMainJVZ& m_window;
    LocalExplorerPane& m_explorer;
    const AppSettings& m_settings;
    std::unique_ptr<FavouritePaths> m_favourites;
    std::unique_ptr<FavouritesCombo> m_combo;
    std::unique_ptr<LocalSelectionPane> m_selection;
    std::unique_ptr<VolumeSource> m_ownVolumes;
    VolumeSource* m_volumes = nullptr;
    bool m_loaded = false;
};

} // namespace jvz
