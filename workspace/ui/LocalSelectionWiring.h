#pragma once

// Attaches the local selection, the favourite folders and the local deletion to the main window's controls and
// to its local explorer: the list's selection pane, Combo5 and the commands they run (Toolbar1 "DelFile", the
// favourite entries of the tree's menu). The window connects the selection pane's signals.

#include "LocalPaneControls.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
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
struct MainWindowControls;

class LocalSelectionWiring : public QObject {
    Q_OBJECT
public:
    // The state the selection's commands depend on, asked at each update; an empty query answers "no" or "".
    struct Hooks {
        std::function<bool()> ftpSessionOpen;
        std::function<uint8_t()> activity;       // the activity asked: 2, the diagnostic, sends nothing
        std::function<QString()> terminalFolder; // the terminal list's folder, "\" at its root
        std::function<bool()> packResetOn;       // the pack list's reset is switched on
    };

    // The favourites are read when the window is first shown (a batch run never shows it). volumes: what the
    // favourites' start-up repair checks against; null for the machine's own.
    LocalSelectionWiring(const LocalPaneControls& site, LocalExplorerPane& explorer, const AppSettings& settings,
                         Notifier& notifier, Hooks queries, VolumeSource* volumes = nullptr);
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

    QWidget& m_window;
    const MainWindowControls& m_ui;
    Hooks m_queries;
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
