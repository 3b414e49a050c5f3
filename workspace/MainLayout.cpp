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

int clampLeftDivider(int x, int listView2Left, bool* clamped)
{
    int d = x;
    if (x <= kLeftDividerMin)
        d = kLeftDividerMin;
    else if (x >= listView2Left - kLeftDividerGap)
        d = listView2Left - kLeftDividerGap;
    if (clamped)
        *clamped = d != x;
    return d;
}

int clampRightDivider(int x, int listView1Left, int listView2Right, bool* clamped)
{
    int d = x;
    if (x <= listView1Left + kRightDividerGap)
        d = listView1Left + kRightDividerGap;
    else if (x >= listView2Right - kTerminalMinWidth)
        d = listView2Right - kTerminalMinWidth;
    if (clamped)
        *clamped = d != x;
    return d;
}

QPoint traceBoxPosition(int listView1Left, int listView1Top, int listView1Height)
{
    return {listView1Left + kTraceBoxIndent, listView1Top + 2 * (listView1Height / 3)};
}

} // namespace jvz::MainLayout
