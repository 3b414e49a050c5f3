#pragma once

// Driving the assembled window as a user does: keys go to the widget that has the focus (or to the menu that
// is open), rows are picked with the arrow keys, and lists are read as shown.

#include <QAbstractItemModel>
#include <QApplication>
#include <QTest>
#include <QTreeView>
#include <QWidget>
#include <gtest/gtest.h>

namespace jvztest {

constexpr int kWindowBoundMs = 20000;

inline QStringList rowsOf(const QTreeView* view)
{
    QStringList names;
    for (int r = 0; view->model() && r < view->model()->rowCount(); ++r)
        names << view->model()->index(r, 0).data().toString();
    return names;
}

// The key goes where a user's key goes: to the open menu, else to the widget that has the focus.
inline void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "no widget has the focus";
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

inline void focus(QWidget* widget)
{
    widget->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget->hasFocus(); }, kWindowBoundMs))
        << widget->objectName().toStdString();
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

} // namespace jvztest
