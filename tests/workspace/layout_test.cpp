// The explorer's layout: the designed geometry in twips, the splitters and the trace box.
#include "MainWindowWorld.h"
#include "workspace/MainLayout.h"
#include "workspace/ui/MainWindowLayout.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;
using namespace jvz::MainLayout;

namespace {

TEST(Layout, PaneWidthsFromTheInnerWidth)
{
    const struct {
        int width;
        PaneWidths expected;
    } cases[] = {
        {19200, {6400, 6400, 6280}},
        {19201, {6400, 6400, 6281}},
        {300, {100, 100, 0}}, // a very small window: the terminal list gets nothing rather than less
        {0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const PaneWidths w = paneWidths(c.width);
        EXPECT_EQ(w.tree, c.expected.tree);
        EXPECT_EQ(w.list, c.expected.list);
        EXPECT_EQ(w.terminal, c.expected.terminal);
    }
    EXPECT_EQ(toPixels(15 * 1280), 1280);
    EXPECT_EQ(toTwips(100), 1500);
}

TEST(Layout, TraceBoxUnderTheLocalList)
{
    EXPECT_EQ(traceBoxPosition(6440, 1500, 9001), QPoint(6740, 1500 + 6000));
}

class WindowLayout : public ::testing::Test {
protected:
    frmMainJVZ& shownAt(int width, int height)
    {
        frmMainJVZ& window = w.build();
        window.show();
        window.setWindowState(Qt::WindowNoState);
        window.resize(width, height);
        QApplication::processEvents();
        window.windowLayout().ArrangeBars();
        return window;
    }
    jvztest::MainWindowWorld w;
};

TEST_F(WindowLayout, ThirdsAtTheStartAndTheTreeRowFollowsTheTree)
{
    frmMainJVZ& window = shownAt(1280, 800);
    const auto& ui = window.controls();
    const int inner = ui.mainSplitter->parentWidget()->width();
    const PaneWidths expected = paneWidths(toTwips(inner));
    EXPECT_NEAR(ui.treeView1->width(), toPixels(expected.tree), 2);
    EXPECT_NEAR(ui.listView1->width(), toPixels(expected.list), 2);
    EXPECT_NEAR(ui.terminalArea->width(), toPixels(expected.terminal), 10);
    EXPECT_EQ(ui.treeHeader->width(), ui.treeView1->width() + ui.localSplitter->handleWidth());
    EXPECT_EQ(ui.bar3Panels[0]->width(), ui.treeView1->width() + ui.localSplitter->handleWidth());

    // A dragged divider: the row over the tree and StatusBar3's first panel follow.
    ui.localSplitter->setSizes({300, ui.localSplitter->width() - 300});
    QApplication::processEvents();
    EXPECT_NEAR(ui.treeView1->width(), 300, 2);
    EXPECT_EQ(ui.treeHeader->width(), ui.treeView1->width() + ui.localSplitter->handleWidth());
    EXPECT_EQ(ui.bar3Panels[0]->width(), ui.treeView1->width() + ui.localSplitter->handleWidth());
}

TEST_F(WindowLayout, DividersKeepTheLeastWidths)
{
    frmMainJVZ& window = shownAt(1280, 800);
    const auto& ui = window.controls();
    ui.localSplitter->setSizes({10, 2000});
    ui.mainSplitter->setSizes({10000, 10});
    QApplication::processEvents();
    EXPECT_GE(ui.treeView1->width(), toPixels(kLeftDividerMin - kTreeListGap));
    EXPECT_GE(ui.terminalArea->width(), toPixels(kTerminalMinWidth));
    EXPECT_GE(ui.listView1->width(), toPixels(kLeftDividerGap - kTreeListGap));
}

TEST_F(WindowLayout, TraceBoxPlacedByTheBarsAndMovedByTheMouse)
{
    w.settings.gDebug = true;
    frmMainJVZ& window = shownAt(1280, 800);
    const auto& ui = window.controls();
    w.action("MNU_View_Trace")->trigger();
    QPlainTextEdit* box = ui.txtTrace;
    const QPoint list = ui.listView1->mapTo(box->parentWidget(), QPoint(0, 0));
    EXPECT_EQ(box->pos().x(), list.x() + toPixels(kTraceBoxIndent));
    EXPECT_NEAR(box->pos().y(), list.y() + 2 * (ui.listView1->height() / 3), 1);

    const QPoint start = box->pos();
    QWidget* surface = box->viewport();
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), surface->mapToGlobal(QPointF(40, 30)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(box->pos(), start + QPoint(30, 20));

    // Far out of the window: a part stays inside to drag it back.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent away(QEvent::MouseMove, QPointF(5000, 5000), surface->mapToGlobal(QPointF(5000, 5000)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &away);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(5000, 5000));
    EXPECT_LE(box->pos().x(), box->parentWidget()->width() - MainWindowLayout::kTraceKeepVisible);
    EXPECT_LE(box->pos().y(), box->parentWidget()->height() - MainWindowLayout::kTraceKeepVisible);
}

TEST_F(WindowLayout, VerySmallWindowKeepsWhatItHas)
{
    frmMainJVZ& window = shownAt(200, 150);
    window.windowLayout().ArrangeBars(); // no failure, nothing negative
    EXPECT_GE(window.controls().treeView1->width(), 0);
}

} // namespace
