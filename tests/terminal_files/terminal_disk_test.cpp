// The disk information of a terminal directory, read from its two size entries as the list shows them.
#include "TransferWorld.h"
#include "terminal_files/TerminalDiskInfo.h"

#include <gtest/gtest.h>

using namespace jvz;

namespace {

TerminalListRow row(const char* name, quint64 size, bool folder = false)
{
    TerminalListRow r;
    r.name = QString::fromLatin1(name);
    r.isFolder = folder;
    r.size = size;
    r.sizeText = folder ? QString() : sizeInKbText(size);
    return r;
}

TEST(TerminalDiskInfo, LinesFromTheSizeEntriesThatAreListed)
{
    const MBLanguages language = jvztest::bracketedTransferTexts();
    const QString head = QStringLiteral("<MSG_SIZ_VisibleItemsIn> \\SWAP\\");
    const QString free = QStringLiteral("\r\n    <MSG_SIZ_FreeSpace>\t");
    const QString used = QStringLiteral("\r\n    <MSG_SIZ_UsedSpace>\t");
    const QString total = QStringLiteral("\r\n    <MSG_SIZ_TotalSpace>\t");
    constexpr quint64 k6GiB = 6ull << 30;
    const struct {
        const char* name;
        QList<TerminalListRow> rows;
        QString text;
    } cases[] = {
        {"neither entry", {row("APP.SGN", 10), row("HOST", 0, true)}, QStringLiteral("2 ") + head},
        {"free only", {row("dirfree.siz", 2048)}, QStringLiteral("1 ") + head + free + QStringLiteral("2 Kb")},
        {"total only", {row("DIRECTORY.SIZ", 4096)}, QStringLiteral("1 ") + head + total + QStringLiteral("4 Kb")},
        {"both, free before used before total",
         {row("HOST", 0, true), row("DIRECTORY.SIZ", 2048 * 1024), row("DIRFREE.SIZ", 1024 * 1024 + 1)},
         QStringLiteral("3 ") + head + free + QStringLiteral("1025 Kb") + used + QStringLiteral("1023 Kb") + total +
             QStringLiteral("2048 Kb")},
        {"disks of 4 GiB and more",
         {row("DIRECTORY.SIZ", k6GiB), row("DIRFREE.SIZ", 1ull << 30)},
         QStringLiteral("2 ") + head + free + QStringLiteral("1048576 Kb") + used + QStringLiteral("5242880 Kb") +
             total + QStringLiteral("6291456 Kb")},
    };
    for (const auto& c : cases) {
        const TerminalDiskInfoText info = terminalDiskInfoText(QStringLiteral("\\SWAP\\"), c.rows, language);
        EXPECT_EQ(info.text, c.text) << c.name;
        EXPECT_EQ(info.title, QStringLiteral("<MSG_SIZ_InfoAbout> \\SWAP\\:")) << c.name;
    }
}

TEST(TerminalDiskInfo, EmptyListShowsNothing)
{
    jvztest::FakeNotifier notifier;
    ShowTerminalDiskInfo(QStringLiteral("\\SWAP\\"), {}, jvztest::bracketedTransferTexts(), notifier);
    EXPECT_TRUE(notifier.shown.empty());
}

} // namespace
