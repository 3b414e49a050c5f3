// The product-code table, the catalogue filters of Combo2 and the selection of a terminal's filter.
#include "../session/RuntimeDoubles.h"
#include "MainWindowWorld.h"
#include "core/AppState.h"
#include "core/TerminalSession.h"
#include "session/SessionRuntime.h"
#include "workspace/ProductCodes.h"
#include "workspace/ui/MainSessionWindow.h"

#include <QComboBox>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

TEST(ProductCodes, FiltersAndTableFromTheLines)
{
    const struct {
        const char* name;
        QStringList lines;
        QStringList filters;
        QStringList codes;
        QStringList duplicates;
    } cases[] = {
        {"generic line between products",
         {"M23 Terminal A", "M?? every list", "X25 Terminal B"},
         {"*.M23", "*.M??", "*.X25", "*.*"},
         {"M23", "X25"},
         {}},
        {"same code three times in a row", {"M23 a", "M23 b", "M23 c"}, {"*.M23", "*.*"}, {"M23"}, {"M23"}},
        {"code again after another", {"M23 a", "X25 b", "M23 c"}, {"*.M23", "*.X25", "*.*"}, {"M23", "X25"}, {"M23"}},
        {"case differs: still the same code", {"M23 a", "m23 b"}, {"*.M23", "*.*"}, {"M23"}, {"m23"}},
        {"blank lines are skipped", {"", "M23 a", "   ", "X25 b", ""}, {"*.M23", "*.X25", "*.*"}, {"M23", "X25"}, {}},
        {"short line gives a short code", {"M2"}, {"*.M2", "*.*"}, {"M2"}, {}},
        {"no line at all", {}, {"*.*"}, {}, {}},
        {"two generic lines", {"M?? a", "M?? b"}, {"*.M??", "*.M??", "*.*"}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProductCodeTable table;
        const CatalogFilterLoad load = LoadCatalogFilters(c.lines, table);
        EXPECT_EQ(load.filterItems, c.filters);
        EXPECT_EQ(load.duplicates, c.duplicates);
        QStringList codes;
        for (const auto& e : table.entries())
            codes << e.code;
        EXPECT_EQ(codes, c.codes);
    }
}

TEST(ProductCodes, FirstTextStaysAndLookUpIgnoresCase)
{
    ProductCodeTable table;
    LoadCatalogFilters({"M23 Terminal A", "M23 Terminal again", "X25"}, table);
    EXPECT_EQ(table.text(QStringLiteral("m23")), QStringLiteral("Terminal A"));
    EXPECT_EQ(table.text(QStringLiteral("X25")), QString());
    EXPECT_TRUE(table.contains(QStringLiteral("x25")));
    EXPECT_EQ(table.text(QStringLiteral("Q99")), QString());
}

TEST(ProductCodes, FileReadWithAnyLineEndsAndWindowsCharacters)
{
    const std::string path = jvztest::makeScratchDir("prm") + "/JVZ.prm";
    jvztest::writeFileBytes(path, "M23 Caf\xe9\r\nX25 Terminal B\nM40 last line without end");
    QStringList lines;
    ASSERT_TRUE(readProductCodeFile(QString::fromStdString(path), lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("M23 Caf\u00e9"), QStringLiteral("X25 Terminal B"),
                                  QStringLiteral("M40 last line without end")}));
    QString error;
    EXPECT_FALSE(readProductCodeFile(QString::fromStdString(path + ".missing"), lines, &error));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

class WindowFilters : public ::testing::Test {
protected:
    frmMainJVZ& shown(jvztest::MainWindowWorld& w)
    {
        frmMainJVZ& window = w.build();
        window.show(); // the first activation reads the product codes
        return window;
    }
    static QStringList items(const QComboBox* combo)
    {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    }
};

TEST_F(WindowFilters, FromTheFixtureFileWithTheSavedSelection)
{
    const struct {
        const char* selection;
        const char* text;
    } cases[] = {
        {"", "*.M23"},
        {"*.X25", "*.X25"},
        {"TEST*.M4?", "TEST*.M4?"}, // a pattern the user typed stays even though it is not listed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection);
        jvztest::MainWindowWorld w("M23 Terminal A\r\nM?? All\r\nX25 Terminal B\r\nM23 again\r\n");
        w.settings.gSelection = QLatin1String(c.selection);
        frmMainJVZ& window = shown(w);
        const QComboBox* combo = window.controls().combo2;
        EXPECT_EQ(items(combo), (QStringList{"*.M23", "*.M??", "*.X25", "*.*"}));
        EXPECT_EQ(combo->currentText(), QLatin1String(c.text));
        EXPECT_EQ(combo->itemData(0, Qt::ToolTipRole).toString(), QStringLiteral("Terminal A"));
        ASSERT_EQ(w.notifier.shown.size(), 1u);
        EXPECT_EQ(w.notifier.shown[0].text, QStringLiteral("The product code M23 is listed more than once"));
        EXPECT_EQ(w.notifier.shown[0].icon, MessageIcon::Exclamation);
    }
}

TEST_F(WindowFilters, MissingFileLeavesOnlyTheLastFilter)
{
    jvztest::MainWindowWorld w;
    w.settings.gCataExtFile = QStringLiteral("absent.prm");
    frmMainJVZ& window = shown(w);
    EXPECT_EQ(items(window.controls().combo2), QStringList{"*.*"});
    EXPECT_EQ(window.controls().combo2->currentText(), QStringLiteral("*.*"));
    ASSERT_EQ(w.notifier.shown.size(), 1u);
    EXPECT_TRUE(w.notifier.shown[0].text.startsWith(QStringLiteral("OpenFile function: ")));
    EXPECT_TRUE(window.ListProduct().isEmpty());
}

TEST_F(WindowFilters, SeeProductCodeSelectsOrRefuses)
{
    const struct {
        const char* code;
        const char* filter; // empty: refused, the filter stays
        const char* tooltip;
    } cases[] = {
        {"M40", "*.M40", "Terminal M40"},
        {"m23", "*.m23", "Terminal M23"},
        {"Q99", "", ""},
        {"X25", "", ""}, // listed with an empty text: unknown
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        jvztest::MainWindowWorld w("M?? All\r\nM23 Terminal M23\r\nM40 Terminal M40\r\nX25\r\n");
        frmMainJVZ& window = shown(w);
        const QString before = window.controls().combo2->currentText();
        const QString tipBefore = window.controls().listView2->toolTip();
        window.SeeProductCode(QLatin1String(c.code));
        if (*c.filter) {
            EXPECT_EQ(window.controls().combo2->currentText(), QLatin1String(c.filter));
            EXPECT_EQ(window.controls().listView2->toolTip(), QLatin1String(c.tooltip));
            EXPECT_TRUE(w.notifier.shown.empty());
        } else {
            EXPECT_EQ(window.controls().combo2->currentText(), before);
            EXPECT_EQ(window.controls().listView2->toolTip(), tipBefore);
            ASSERT_EQ(w.notifier.shown.size(), 1u);
            EXPECT_EQ(w.notifier.shown[0].text, QStringLiteral("unknown product code: ") + QLatin1String(c.code));
            EXPECT_EQ(w.notifier.shown[0].icon, MessageIcon::Exclamation);
        }
    }
}

TEST_F(WindowFilters, SessionReachesTheFilterThroughTheWindowsHook)
{
    jvztest::MainWindowWorld w;
    frmMainJVZ& window = shown(w);
    w.attachSession();
    emit w.assembly->session().productCodeSeen(QStringLiteral("M40"));
    EXPECT_EQ(window.controls().combo2->currentText(), QStringLiteral("*.M40"));
}

} // namespace
