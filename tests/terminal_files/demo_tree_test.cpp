// The terminal tree that scripts/demo --window serves: each file is made so that the job the window runs on it
// shows something true (a wrong byte here and the demo shows a binary dump or a raw code instead).
#include "Paths.h"
#include "terminal_files/FileDispatch.h"
#include "terminal_files/TerminalConfigRecord.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

QByteArray demoFile(const QString& path)
{
    QFile f(jvztest::sourceDir() + QStringLiteral("/scripts/demo-data/terminal/") + path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

TEST(DemoTerminalTree, EachFileOpensInItsToolWithTheSettingsOfTheDemo)
{
    DispatchSettings demo;
    demo.certifSgn = true; // the window demo sends signed files to the dumper
    const struct {
        const char* name;
        FileTool tool;
    } cases[] = {
        {"APPCOUNTER.DIA", FileTool::AppCounterRecords},
        {"APPLI.ADF", FileTool::DescriptorViewer},
        {"DEMOAPP.SGN", FileTool::SignedFileDump},
        {"ACTIVITY.INF", FileTool::TextViewer},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(QFile::exists(jvztest::sourceDir() + QStringLiteral("/scripts/demo-data/terminal/SWAP/") +
                                  QLatin1String(c.name)))
            << c.name;
        EXPECT_STREQ(fileToolName(terminalFileTool(QLatin1String(c.name), demo)), fileToolName(c.tool)) << c.name;
    }
}

TEST(DemoTerminalTree, TheConfigurationDecodesToTheDemoTerminal)
{
    const QByteArray record = demoFile(QStringLiteral("SWAP/TERMINAL.CNF"));
    ASSERT_EQ(record.size(), kTerminalConfigSize);
    const QLocale c(QLocale::C);
    EXPECT_EQ(decodeMemberText(terminalConfigMember("ProductCode"), record, c), QStringLiteral("M40"));
    EXPECT_EQ(decodeMemberText(terminalConfigMember("ConstructorCode"), record, c), QStringLiteral("CONSTRUC"));
    EXPECT_EQ(decodeMemberText(terminalConfigMember("RamSize"), record, c), QStringLiteral("16"));
    EXPECT_EQ(decodeMemberText(terminalConfigMember("FlashSize"), record, c), QStringLiteral("64"));
    EXPECT_EQ(decodeMemberText(terminalConfigMember("ProductReference"), record, c), QStringLiteral("DEMO-M40-001"));
}

TEST(DemoTerminalTree, TheDescriptorStartsWithAKindCode)
{
    const QByteArray adf = demoFile(QStringLiteral("SWAP/APPLI.ADF"));
    EXPECT_TRUE(adf.startsWith("1,DEMOAPP,")) << adf.constData();
}

} // namespace
