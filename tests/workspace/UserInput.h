#pragma once

// What a user does to a window in a test: keys go to the widget that has the focus, rows of a list are chosen
// with the arrow keys, a toolbar button is clicked, and a box that comes up is read and answered from inside
// its own event loop.
#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

namespace jvztest {

constexpr int kUserBoundMs = 20000;

// The key goes where a user's key goes: to the open menu, else to the widget that has the focus.
inline void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "no widget has the focus";
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

inline void typeText(const QString& text)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "no widget has the focus";
    QTest::keyClicks(target, text);
}

inline void focus(QWidget* widget)
{
    widget->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget->hasFocus(); }, kUserBoundMs))
        << widget->objectName().toStdString();
}

// Moves the list's current row with Home and the down arrow. Without a modifier the row moved to is the one
// chosen; with Ctrl the choice stays as it was.
inline void moveToRow(QAbstractItemView* view, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    ASSERT_GE(row, 0) << "no such row";
    focus(view);
    press(Qt::Key_Home, modifiers);
    for (int i = 0; i < view->model()->rowCount() && view->currentIndex().row() != row; ++i)
        press(Qt::Key_Down, modifiers);
    ASSERT_EQ(view->currentIndex().row(), row);
    // Already the current row before the keys: Space chooses it.
    if (modifiers == Qt::NoModifier && !view->selectionModel()->isSelected(view->currentIndex()))
        press(Qt::Key_Space);
}

inline QStringList rowsOf(const QTreeView* view)
{
    QStringList names;
    for (int r = 0; view->model() && r < view->model()->rowCount(); ++r)
        names << view->model()->index(r, 0).data().toString();
    return names;
}

// Moves the current row of the list to the named one with the arrow keys, as a user picks it.
inline void goToRow(QTreeView* view, const QString& name)
{
    focus(view);
    press(Qt::Key_Home);
    for (int i = 0; i < view->model()->rowCount() && view->currentIndex().data().toString() != name; ++i)
        press(Qt::Key_Down);
    ASSERT_EQ(view->currentIndex().data().toString(), name) << rowsOf(view).join(u',').toStdString();
}

// Chooses the rows as a user does with the keys: the first with the arrows, each other one with Ctrl and the
// arrows, then Ctrl+Space.
inline void chooseRows(QAbstractItemView* view, const QList<int>& rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (i == 0) {
            moveToRow(view, rows.at(i));
        } else {
            moveToRow(view, rows.at(i), Qt::ControlModifier);
            press(Qt::Key_Space, Qt::ControlModifier);
        }
    }
}

inline void click(QToolBar* bar, QAction* button)
{
    QWidget* widget = bar->widgetForAction(button);
    ASSERT_NE(widget, nullptr) << button->objectName().toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Runs `read` on the modal window that `open` brings up, from inside its own event loop; a window `read`
// leaves open is closed. False when none came up.
inline bool onModal(const std::function<void()>& open, const std::function<void(QWidget*)>& read,
                    int boundMs = kUserBoundMs)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || seen)
            return;
        seen = true;
        poll.stop();
        read(modal);
        if (QApplication::activeModalWidget() == modal)
            modal->close();
    });
    poll.start();
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close(); // never left hanging
    });
    limit.start(boundMs);
    open();
    return seen;
}

} // namespace jvztest
