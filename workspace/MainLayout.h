#pragma once

#include <QPoint>

namespace jvz {

// The explorer's geometry in twips, as the window was designed; 15 twips make one pixel here.
namespace MainLayout {

inline constexpr int kTwipsPerPixel = 15;

constexpr int toPixels(int twips)
{
    return twips / kTwipsPerPixel;
}
constexpr int toTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

inline constexpr int kTreeListGap = 40;        // between TreeView1 and ListView1
inline constexpr int kListTerminalGap = 50;    // between ListView1 and ListView2
inline constexpr int kTerminalShortfall = 120; // ListView2 keeps this much less than the rest of the width
// The dividers' limits, kept by the splitters as least widths: the tree at least 2400 less the gap, the local
// list at least 2000 less the gap, the terminal list at least 2400.
inline constexpr int kLeftDividerMin = 2400;
inline constexpr int kLeftDividerGap = 2000;
inline constexpr int kTerminalMinWidth = 2400;
inline constexpr int kTraceBoxIndent = 300; // the trace box's left edge from ListView1's

// The three panes' widths for the inner width W: a third each for the tree and the local list, the rest less
// 120 for the terminal list. A width that would be negative (a very small window) is given as 0.
struct PaneWidths {
    int tree = 0;
    int list = 0;
    int terminal = 0;
};
PaneWidths paneWidths(int innerWidth);

// The trace box's place after the bars are arranged: 300 right of ListView1's left edge, at two thirds of
// its height.
QPoint traceBoxPosition(int listView1Left, int listView1Top, int listView1Height);

} // namespace MainLayout

} // namespace jvz
