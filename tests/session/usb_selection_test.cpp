#include "session/ui/frmUsbSelection.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using jvz::frmUsbSelection;

namespace {

QListWidget* list(frmUsbSelection& w)
{
    return w.findChild<QListWidget*>("List1");
}

QPushButton* button(frmUsbSelection& w, const char* name)
{
    return w.findChild<QPushButton*>(name);
}

QStringList entries(frmUsbSelection& w)
{
    QStringList out;
    for (int i = 0; i < list(w)->count(); ++i)
        out << list(w)->item(i)->text();
    return out;
}

int selectedRow(frmUsbSelection& w)
{
    const auto items = list(w)->selectedItems();
    return items.isEmpty() ? -1 : list(w)->row(items.first());
}

} // namespace

TEST(UsbSelectionWindow, HasItsFixedCaptionsAndControls)
{
    frmUsbSelection w;
    EXPECT_EQ(w.objectName(), "frmUsbSelection");
    EXPECT_EQ(w.windowTitle(), "USB port selection");
    ASSERT_NE(list(w), nullptr);
    ASSERT_NE(button(w, "OKButton"), nullptr);
    ASSERT_NE(button(w, "CancelButton"), nullptr);
    EXPECT_EQ(button(w, "OKButton")->text(), "OK");
    EXPECT_EQ(button(w, "CancelButton")->text(), "Annuler");
    EXPECT_FALSE(w.isVisible()); // shown by the caller, never by itself
}

TEST(UsbSelectionWindow, InitFillsTheListAndPreselectsTheCurrentPort)
{
    const struct {
        const char* what;
        const char* ports;
        const char* current;
        QStringList entries;
        int selected;
    } cases[] = {
        {"current port in the middle", "ttyACM3,ttyACM7,ttyACM9,", "ttyACM7", {"ttyACM3", "ttyACM7", "ttyACM9"}, 1},
        {"current port absent", "ttyACM3,ttyACM7,ttyACM9,", "ttyACM5", {"ttyACM3", "ttyACM7", "ttyACM9"}, -1},
        {"no current port", "ttyACM3,ttyACM7,", "", {"ttyACM3", "ttyACM7"}, -1},
        {"compared case-sensitively", "ttyACM3,ttyACM7,", "TTYACM7", {"ttyACM3", "ttyACM7"}, -1},
        {"a non-port entry ends the list", "ttyACM3,garbage,ttyACM9,", "ttyACM9", {"ttyACM3"}, -1},
        {"a COM name is not a port here", "COM3,ttyACM7,", "ttyACM7", {}, -1},
        {"the last equal entry wins", "ttyACM3,ttyUSB0,ttyACM3,", "ttyACM3", {"ttyACM3", "ttyUSB0", "ttyACM3"}, 2},
        {"empty pieces are skipped", ",ttyACM3,,ttyACM7", "ttyACM7", {"ttyACM3", "ttyACM7"}, 1},
        {"empty list", "", "ttyACM3", {}, -1},
    };
    frmUsbSelection w; // one window serves every use, as in the program
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w.SelectedPort = "stale";
        w.init(int(c.entries.size()), c.ports, c.current);
        EXPECT_EQ(entries(w), c.entries);
        EXPECT_EQ(selectedRow(w), c.selected);
        EXPECT_EQ(w.SelectedPort, "");
    }
}

TEST(UsbSelectionWindow, ButtonsEndTheChoice)
{
    const struct {
        const char* what;
        const char* current;
        int clickRow; // -1: no click on the list
        const char* button;
        const char* selected;
        int result;
    } cases[] = {
        {"OK takes the preselected port", "ttyACM7", -1, "OKButton", "ttyACM7", QDialog::Accepted},
        {"OK takes the clicked port", "ttyACM7", 2, "OKButton", "ttyACM9", QDialog::Accepted},
        {"OK with nothing selected", "ttyACM5", -1, "OKButton", "", QDialog::Accepted},
        {"Cancel drops the selection", "ttyACM7", 0, "CancelButton", "", QDialog::Rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmUsbSelection w;
        w.init(3, "ttyACM3,ttyACM7,ttyACM9,", c.current);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        if (c.clickRow >= 0) {
            QListWidget* l = list(w);
            const QRect rect = l->visualItemRect(l->item(c.clickRow));
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, rect.center());
        }
        QSignalSpy finished(&w, &QDialog::finished);
        QTest::mouseClick(button(w, c.button), Qt::LeftButton);
        EXPECT_EQ(w.SelectedPort, c.selected);
        EXPECT_FALSE(w.isVisible());
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.first().first().toInt(), c.result);
    }
}

TEST(UsbSelectionWindow, DoubleClickPicksTheEntryAndEndsAtOnce)
{
    frmUsbSelection w;
    w.init(3, "ttyACM3,ttyACM7,ttyACM9,", "ttyACM3");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QListWidget* l = list(w);
    const QPoint at = l->visualItemRect(l->item(2)).center();
    // A double click is a click followed by the second press, as a mouse delivers it.
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(w.isVisible()); // a single click only selects
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(w.SelectedPort, "ttyACM9");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

// The caller shows the window modally; a click must end that modal run with the selection set.
TEST(UsbSelectionWindow, EndsTheCallersModalRun)
{
    const struct {
        const char* what;
        std::function<void(frmUsbSelection&)> act;
        const char* selected;
        int result;
    } cases[] = {
        {"OK", [](frmUsbSelection& w) { button(w, "OKButton")->click(); }, "ttyUSB1", QDialog::Accepted},
        {"Cancel", [](frmUsbSelection& w) { button(w, "CancelButton")->click(); }, "", QDialog::Rejected},
        {"Escape", [](frmUsbSelection& w) { QTest::keyClick(&w, Qt::Key_Escape); }, "", QDialog::Rejected},
        {"Enter", [](frmUsbSelection& w) { QTest::keyClick(list(w), Qt::Key_Return); }, "ttyUSB1", QDialog::Accepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmUsbSelection w;
        w.init(2, "ttyUSB0,ttyUSB1,", "ttyUSB1");
        bool acted = false;
        QTimer::singleShot(0, &w, [&] {
            acted = true;
            c.act(w);
        });
        // A run that does not end is stopped, so a fault fails the test instead of hanging it.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &w, [&w] { w.done(-1); });
        guard.start(5000);
        const int result = w.exec();
        EXPECT_TRUE(acted);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(w.SelectedPort, c.selected);
    }
}

TEST(UsbSelectionWindow, BringsTheMainWindowBack)
{
    QWidget mainWindow;
    mainWindow.setWindowTitle("Pendraxa");
    QWidget other;
    other.setWindowTitle("Pendraxa - other");
    for (const char* name : {"OKButton", "CancelButton"}) {
        SCOPED_TRACE(name);
        mainWindow.hide();
        frmUsbSelection w;
        w.init(1, "ttyACM0,", "ttyACM0");
        w.show();
        button(w, name)->click();
        EXPECT_TRUE(mainWindow.isVisible());
        EXPECT_FALSE(other.isVisible());
    }
}
