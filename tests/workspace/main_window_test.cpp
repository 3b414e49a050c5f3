// The main window frame: its controls under their names and kinds, load and initialisation.
#include "FakeNotifier.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class MainWindowFrame : public ::testing::Test {
protected:
    template <typename T> T* child(const char* name) { return window.findChild<T*>(QString::fromUtf8(name)); }

    AppSettings settings;
    BatchRun batch;
    jvztest::FakeNotifier notifier;
    frmMainJVZ window{settings, batch, notifier};
};

TEST_F(MainWindowFrame, EveryControlHasItsNameAndKind)
{
    for (const char* name : {"TreeView1", "ListView1", "ListView2"})
        EXPECT_NE(child<QTreeView>(name), nullptr) << name;
    for (const char* name : {"ImageCombo1", "Combo2", "Combo3", "Combo5", "Combo_DefaultConnection"})
        EXPECT_NE(child<QComboBox>(name), nullptr) << name;
    for (const char* name : {"Filter", "Text3", "TXT_login", "TXT_password", "TXT_Port", "TXT_IP"})
        EXPECT_NE(child<QLineEdit>(name), nullptr) << name;
    EXPECT_NE(child<QPlainTextEdit>("TXT_Trace"), nullptr);
    for (const char* name : {"TLB_Icon", "TLB_Connect", "Toolbar1", "Toolbar2", "Toolbar3"})
        EXPECT_NE(child<QToolBar>(name), nullptr) << name;
    for (const char* name : {"StatusBar1", "StatusBar2", "StatusBar3", "StatusBar4"})
        EXPECT_NE(child<QStatusBar>(name), nullptr) << name;
    for (const char* name : {"MNU_Terminal", "MNU_Activity", "MNU_View", "MNU_Connection", "MNU_Help", "MNU_Contextuel",
                             "MNU_Contextuel2", "MNU_Catalog", "MNU_CatalogPack"})
        EXPECT_NE(child<QMenu>(name), nullptr) << name;

    const struct {
        const char* bar;
        std::vector<const char*> buttons;
    } bars[] = {
        {"Toolbar1", {"Refresh", "BackFolder", "DelFile"}},
        {"Toolbar2", {"back"}},
        {"Toolbar3", {"BackFolder", "DelFile", "Refresh"}},
    };
    for (const auto& b : bars) {
        auto* bar = child<QToolBar>(b.bar);
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), qsizetype(b.buttons.size())) << b.bar;
        for (size_t i = 0; i < b.buttons.size(); ++i)
            EXPECT_EQ(bar->actions().at(qsizetype(i))->objectName(), QLatin1String(b.buttons[i])) << b.bar;
    }
    for (int index : {1, 2, 4, 5, 7}) {
        ASSERT_NE(window.IconButton(index), nullptr) << index;
        EXPECT_FALSE(window.IconButton(index)->isSeparator()) << index;
    }
    EXPECT_TRUE(window.IconButton(3)->isSeparator());
    EXPECT_TRUE(window.IconButton(6)->isSeparator());
}

TEST_F(MainWindowFrame, EveryCommandHasItsNamedAction)
{
    for (int i = 0; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        const std::string_view name = commandName(command);
        SCOPED_TRACE(std::string(name));
        QAction* a = window.controls().action(command);
        ASSERT_NE(a, nullptr);
        const QString full = QString::fromUtf8(name.data(), qsizetype(name.size()));
        const QString own = full.section(QLatin1Char('/'), -1);
        if (full.startsWith(QLatin1String("MNU_Language")))
            EXPECT_EQ(a->objectName(), QStringLiteral("MNU_Language_Country"));
        else if (!full.startsWith(QLatin1String("TLB_Icon")))
            EXPECT_EQ(a->objectName(), own);
    }
}

} // namespace
