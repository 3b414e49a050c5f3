#include "workspace/MainLayout.h"

#include <algorithm>

namespace jvz::MainLayout {

PaneWidths paneWidths(int innerWidth)
{
    PaneWidths w;
    w.tree = std::max(0, innerWidth / 3);
    w.list = w.tree;
    w.terminal = std::max(0, innerWidth - w.list - w.tree - kTerminalShortfall);
    return w;
}

QPoint traceBoxPosition(int listView1Left, int listView1Top, int listView1Height)
{
    return {listView1Left + kTraceBoxIndent, listView1Top + 2 * (listView1Height / 3)};
}

} // namespace jvz::MainLayout
