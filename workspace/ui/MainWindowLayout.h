#pragma once

#include <QObject>
#include <QPoint>

namespace jvz {

struct MainWindowControls;

// Lays the explorer out in its splitters from the designed twips geometry, keeps the row over the tree and
// StatusBar3's first panel as wide as the tree, and lets the user move the floating trace box by dragging it.
class MainWindowLayout : public QObject {
    Q_OBJECT
public:
    explicit MainWindowLayout(MainWindowControls& ui, QObject* parent = nullptr);

    // The panes' widths from the window's inner width: a third each for the local panes, the rest for the
    // terminal list.
    void LayoutControls();
    // The bars stack from the top by themselves; the toolbars are narrowed, the panes laid out again and the
    // trace box goes back under the local list.
    void ArrangeBars();
    // Narrows the explorer toolbars to their shown buttons.
    void fitToolbars();
    // Puts the trace box at its place under ListView1 (its size is kept).
    void placeTraceBox();
    // The part of the trace box that always stays inside the window, so it can be dragged back.
    static constexpr int kTraceKeepVisible = 24;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followTree();
    void moveTraceBox(const QPoint& delta);

    MainWindowControls& m_ui;
    // The trace box's viewport, kept from the start: while the window is destroyed the box may already be half
    // gone when its viewport still sends events here.
    QObject* m_traceViewport = nullptr;
    QPoint m_anchor;
    bool m_dragging = false;
};

} // namespace jvz
