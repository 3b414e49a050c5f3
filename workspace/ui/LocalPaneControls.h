#pragma once

// Where the local panes are built: the main window's controls, its language, and how a pane wires the commands
// it runs. The panes ask nothing more of the window than what comes here and in their own queries.

#include "workspace/CommandState.h"

#include <functional>

class QWidget;

namespace jvz {

class MBLanguages;
struct MainWindowControls;

struct LocalPaneControls {
    QWidget& window; // the panes' parent; they fill themselves when it is first shown
    const MainWindowControls& controls;
    MBLanguages& language;
    // Gives the command its handler: it is then enabled whenever its state allows, and never runs while busy.
    std::function<void(Command, std::function<void()>)> wireCommand;
    std::function<bool()> busy; // a nested wait runs: the panes' clicks and keys do nothing
};

} // namespace jvz
