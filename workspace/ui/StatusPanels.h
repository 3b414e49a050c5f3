#pragma once

namespace jvz {

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

} // namespace jvz
