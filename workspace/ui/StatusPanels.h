#pragma once

#include <QString>

namespace jvz {

struct MainWindowControls;

// The panels of the window's status bar StatusBar2. The values are the panels' places, from the left.
enum class StatusPanel : int {
    ObjectCount = 1,   // the objects the local list shows
    SelectionSize = 2, // the size of the local selection and the free space, or why the folder is unreadable
    Activity = 3,      // the activity asked (download, diagnostic, maintenance)
    LinkState = 4,     // the state of the link and the FTP session
};

// The panels of StatusBar3, over the local panes.
enum class FolderBarPanel : int {
    TreeCaption = 1,   // over the tree ("All folders")
    CurrentFolder = 2, // over the list: the folder it shows
};

// The texts of the main window's status bars, on its controls: StatusBar2's panels, StatusBar3's panels and
// StatusBar4's caption of the terminal list.
class WindowStatusBars {
public:
    explicit WindowStatusBars(const MainWindowControls& controls) : m_ui(controls) {}

    void SetStatusPanel(StatusPanel panel, const QString& text);
    QString StatusPanelText(StatusPanel panel) const;
    void SetStatusBar3Panel(FolderBarPanel panel, const QString& text);
    QString StatusBar3Text(FolderBarPanel panel) const;
    void SetStatusBar4(const QString& text);
    QString StatusBar4Text() const;

private:
    const MainWindowControls& m_ui;
};

} // namespace jvz
