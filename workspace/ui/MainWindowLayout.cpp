#include "workspace/ui/MainWindowLayout.h"

#include "workspace/MainLayout.h"
#include "workspace/ui/MainWindowControls.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>

namespace jvz {

using namespace MainLayout;

MainWindowLayout::MainWindowLayout(MainWindowControls& ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    m_ui.mainSplitter->setHandleWidth(std::max(2, toPixels(kListTerminalGap)));
    m_ui.localSplitter->setHandleWidth(std::max(2, toPixels(kTreeListGap)));
    // The dividers' limits: the tree at least 2360 wide, ListView1 at least 2000 less the gap, the terminal
    // list at least 2400.
    m_ui.treeView1->setMinimumWidth(toPixels(kLeftDividerMin - kTreeListGap));
    m_ui.listView1->setMinimumWidth(toPixels(kLeftDividerGap - kTreeListGap));
    m_ui.terminalArea->setMinimumWidth(toPixels(kTerminalMinWidth));
    m_ui.treeView1->installEventFilter(this);
    m_traceViewport = m_ui.txtTrace->viewport();
    m_traceViewport->installEventFilter(this);
    m_ui.txtTrace->resize(toPixels(6000), toPixels(2400));
}

void MainWindowLayout::LayoutControls()
{
    QWidget* central = m_ui.mainSplitter->parentWidget();
    const int innerWidth = toTwips(central->width());
    const PaneWidths w = paneWidths(innerWidth);
    const int tree = toPixels(w.tree);
    const int list = toPixels(w.list);
    const int terminal = toPixels(w.terminal);
    if (tree <= 0 || terminal <= 0)
        return; // too small a window: the splitters keep what they have
    m_ui.localSplitter->setSizes({tree, list});
    m_ui.mainSplitter->setSizes({tree + list + m_ui.localSplitter->handleWidth(), terminal});
    followTree();
}

void MainWindowLayout::ArrangeBars()
{
    fitToolbars();
    LayoutControls();
    placeTraceBox();
}

// A toolbar beside filters is as wide as its shown buttons, so no gap opens before the filters.
void MainWindowLayout::fitToolbars()
{
    for (QToolBar* bar : {m_ui.toolbar1, m_ui.toolbar2, m_ui.toolbar3}) {
        int width = 0;
        for (QAction* a : bar->actions())
            if (a->isVisible())
                if (QWidget* button = bar->widgetForAction(a))
                    width += button->sizeHint().width() + bar->layout()->spacing();
        const QMargins m = bar->contentsMargins() + bar->layout()->contentsMargins();
        bar->setFixedWidth(width + m.left() + m.right() + 2);
    }
}

void MainWindowLayout::followTree()
{
    const int width = m_ui.treeView1->width();
    m_ui.treeHeader->setFixedWidth(width + m_ui.localSplitter->handleWidth());
    m_ui.bar3Panels[0]->setFixedWidth(width + m_ui.localSplitter->handleWidth());
}

void MainWindowLayout::placeTraceBox()
{
    QWidget* central = m_ui.txtTrace->parentWidget();
    const QPoint topLeft = m_ui.listView1->mapTo(central, QPoint(0, 0));
    const QPoint place =
        traceBoxPosition(toTwips(topLeft.x()), toTwips(topLeft.y()), toTwips(m_ui.listView1->height()));
    m_ui.txtTrace->move(toPixels(place.x()), toPixels(place.y()));
    m_ui.txtTrace->raise();
}

void MainWindowLayout::moveTraceBox(const QPoint& delta)
{
    QWidget* box = m_ui.txtTrace;
    const QSize area = box->parentWidget()->size();
    QPoint to = box->pos() + delta;
    const auto keep = [](int value, int low, int high) { return std::clamp(value, std::min(low, high), high); };
    to.setX(keep(to.x(), kTraceKeepVisible - box->width(), std::max(0, area.width() - kTraceKeepVisible)));
    to.setY(keep(to.y(), kTraceKeepVisible - box->height(), std::max(0, area.height() - kTraceKeepVisible)));
    box->move(to);
}

bool MainWindowLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.treeView1 && event->type() == QEvent::Resize) {
        followTree();
        return false;
    }
    if (watched != m_traceViewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            m_anchor = e->globalPosition().toPoint();
            m_dragging = true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_dragging && (e->buttons() & Qt::LeftButton)) {
            const QPoint now = e->globalPosition().toPoint();
            moveTraceBox(now - m_anchor);
            m_anchor = now;
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return false;
    default:
        return false;
    }
}

} // namespace jvz
