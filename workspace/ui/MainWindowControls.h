#pragma once

#include "workspace/CommandState.h"

#include <QString>
#include <array>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QToolBar;
class QTreeView;
class QWidget;

namespace jvz {

class MBLanguages;

// The icon bar's buttons, in their order on the bar.
enum class IconButton : int { Connect, Disconnect, Download, Upload, TerminalInfo };
inline constexpr int kIconButtonCount = 5;

// The icon bar, one row a button in the bar's order: the command it runs, its name and design caption.
// The connect and disconnect buttons have commands of their own and show pressed; the others follow
// their menu items' commands.
struct IconButtonRow {
    IconButton button;
    Command command;
    const char* key;
    const char* caption;
    bool separatorBefore;
    bool ownCommand;
};
inline constexpr std::array<IconButtonRow, kIconButtonCount> kIconButtons{{
    {IconButton::Connect, Command::IconConnect, "Connect", "Connect", false, true},
    {IconButton::Disconnect, Command::IconDisconnect, "Disconnect", "Disconnect", false, true},
    {IconButton::Download, Command::Download, "Download", "Download", true, false},
    {IconButton::Upload, Command::Upload, "Upload", "Upload", false, false},
    {IconButton::TerminalInfo, Command::TerminalInfo, "TerminalInfo", "Configuration", true, false},
}};
inline const IconButtonRow& iconButtonRow(IconButton button)
{
    return kIconButtons[static_cast<size_t>(button)];
}

// Every control of the main window under its name, built once with its design caption and state; the window
// translates and switches them. Pane helpers attach their models and handlers to these controls.
struct MainWindowControls {
    // Builds the controls into the window (menus, bars, panes in their splitters, status bars, trace box).
    void build(QMainWindow& window);

    // The controls without a caption of their own (see captionlessControlNames), held by the window.
    QList<QWidget*> captionless() const;
    // Names the captionless controls for screen readers in the language, with the same text as their tooltip.
    void applyAccessibleTexts(const MBLanguages& language) const;
    // The toolbars' icons and the window's; looked up only once the window is shown: a batch run never needs them.
    void applyIcons(QMainWindow& window) const;
    // The tab chain from the connection boxes through the filters and the panes to the trace box.
    void setTabOrder() const;

    // The action of a command (a menu item or a toolbar button); null for none.
    QAction* action(Command command) const { return actions[static_cast<int>(command)]; }

    std::array<QAction*, kCommandCount> actions{};
    QAction* iconButton(IconButton button) const { return iconButtons[static_cast<size_t>(button)]; }
    std::array<QAction*, kIconButtonCount> iconButtons{};

    // menus
    QMenu* mnuTerminal = nullptr;
    QMenu* mnuActivity = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuConnection = nullptr;
    QMenu* mnuConnectionDefault = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuLanguage = nullptr;
    QMenu* mnuTest = nullptr;        // MBU_test
    QMenu* mnuContextuel2 = nullptr; // pop-up of TreeView1
    QMenu* mnuContextuel = nullptr;  // pop-up of ListView1 and ListView2
    QMenu* mnuCatalog = nullptr;
    QMenu* mnuCatalogPack = nullptr;
    QAction* mnuV1 = nullptr; // separator before the trace item
    QAction* mnuC1 = nullptr; // separator before the catalogue menus
    QAction* mnuB1 = nullptr; // hidden separator of the Connection menu
    QActionGroup* activityGroup = nullptr;

    // bars
    QToolBar* tlbIcon = nullptr;
    QToolBar* tlbConnect = nullptr;
    QToolBar* toolbar1 = nullptr;
    QToolBar* toolbar2 = nullptr;
    QToolBar* toolbar3 = nullptr;
    QStatusBar* statusBar1 = nullptr;
    QStatusBar* statusBar2 = nullptr;
    QStatusBar* statusBar3 = nullptr;
    QStatusBar* statusBar4 = nullptr;
    std::array<QLabel*, 4> bar2Panels{};
    std::array<QLabel*, 2> bar3Panels{};
    QLabel* bar4Text = nullptr;
    QLabel* bar1Text = nullptr;

    // panes
    QSplitter* mainSplitter = nullptr;  // local area | terminal area
    QSplitter* localSplitter = nullptr; // TreeView1 | ListView1
    QWidget* localArea = nullptr;
    QWidget* terminalArea = nullptr;
    QWidget* treeHeader = nullptr; // the row over the tree: it follows the tree's width
    QTreeView* treeView1 = nullptr;
    QTreeView* listView1 = nullptr;
    QTreeView* listView2 = nullptr;
    QComboBox* imageCombo1 = nullptr;
    QComboBox* combo2 = nullptr;
    QComboBox* combo3 = nullptr;
    QComboBox* combo5 = nullptr;
    QComboBox* comboDefaultConnection = nullptr;
    QLineEdit* filter = nullptr;
    QLineEdit* text3 = nullptr;
    QLineEdit* txtLogin = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtIp = nullptr;
    QLabel* lblLogin = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* lblPort = nullptr;
    QLabel* lblIp = nullptr;
    QPlainTextEdit* txtTrace = nullptr;

private:
    void buildMenus(QMainWindow& window);
    void buildIconBars(QMainWindow& window);
    void buildPanes(QMainWindow& window);
    void buildStatusBar(QMainWindow& window);
};

// The object names of the controls without a caption of their own: each has an accessible name and a tooltip
// from the language key "ToolTipText" & its name.
const QStringList& captionlessControlNames();

} // namespace jvz
