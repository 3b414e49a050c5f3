// Which tool a file name opens, in the terminal list and in the local list.
#include "terminal_files/FileDispatch.h"

#include <gtest/gtest.h>

using namespace jvz;

namespace {

const QStringList kFilters = {QStringLiteral("*.M40"), QStringLiteral("*.M30"), QStringLiteral("*.*")};

struct DispatchCase {
    const char* name;
    bool certifSgn;
    const char* kelmdorExt;
    FileTool terminal;
    FileTool local;
};

} // namespace

TEST(FileDispatch, ByNameAndExtensionForBothLists)
{
    const DispatchCase cases[] = {
        {"VORBANE.DIA", false, "", FileTool::SecurityDiagnostic, FileTool::SecurityDiagnostic},
        {"vorbane.dia", false, "", FileTool::SecurityDiagnostic, FileTool::SecurityDiagnostic},
        {"VORBANE.DIA.BAK", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"LIFECOUNTER_01.DIA", false, "", FileTool::LifeCounterRecords, FileTool::LifeCounterRecords},
        {"LifeCounter_01.dia", false, "", FileTool::LifeCounterRecords, FileTool::LifeCounterRecords},
        {"LIFECOUNTER.TXT", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"APPCOUNTER1.DIA", false, "", FileTool::AppCounterRecords, FileTool::AppCounterRecords},
        {"APPCOUNTER.TXT", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"appdefault.dia", false, "", FileTool::AppDefaultRecords, FileTool::AppDefaultRecords},
        {"X.sgn", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"X.sgn", true, "", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"X.MOT", true, "", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"file.abc", true, "ABC", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"file.abc", true, "abc", FileTool::TextViewer, FileTool::TextViewer},
        {"file.abc", false, "ABC", FileTool::TextViewer, FileTool::TextViewer},
        // The terminal list tests the analyser first, the local list the signed extensions first.
        {"VORBANE.DIA", true, "DIA", FileTool::SecurityDiagnostic, FileTool::SignedFileDump},
        {"APPCOUNTER.DIA", true, "DIA", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"desc.pdf", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"APP.ADF", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"lib.LDF", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"drv.ddf", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"APP.DF", false, "", FileTool::TextViewer, FileTool::TextViewer},
        // Catalogue lists open their files in the descriptor viewer, locally only.
        {"SOFT.M40", false, "", FileTool::TextViewer, FileTool::CatalogueList},
        {"soft.m30", false, "", FileTool::TextViewer, FileTool::CatalogueList},
        {"SOFT.M50", false, "", FileTool::TextViewer, FileTool::TextViewer},
        // A shortcut name: locally a link to follow (when it leads to a folder), on the terminal text.
        {"data.lnk", false, "", FileTool::TextViewer, FileTool::FolderLink},
        {"a.lnk.txt", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"AB", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"", false, "", FileTool::TextViewer, FileTool::TextViewer},
    };
    for (const DispatchCase& c : cases) {
        const DispatchSettings settings{c.certifSgn, QString::fromLatin1(c.kelmdorExt)};
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(terminalFileTool(name, settings), c.terminal)
            << "terminal " << c.name << " certif " << c.certifSgn << " ext " << c.kelmdorExt << ": "
            << fileToolName(terminalFileTool(name, settings));
        EXPECT_EQ(localFileTool(name, settings, kFilters), c.local)
            << "local " << c.name << " certif " << c.certifSgn << " ext " << c.kelmdorExt << ": "
            << fileToolName(localFileTool(name, settings, kFilters));
    }
}

TEST(FileDispatch, LocalItemsByImageKey)
{
    struct ItemCase {
        const char* imageKey;
        const char* name;
        FileTool tool;
    };
    const ItemCase cases[] = {
        {"Drive", "DATA", FileTool::FolderNavigation},
        {"RemovableDrive", "USB", FileTool::FolderNavigation},
        {"CdDrive", "CD", FileTool::FolderNavigation},
        {"NetDrive", "share", FileTool::FolderNavigation},
        {"DiskDrive", "disk", FileTool::FolderNavigation},
        {"ClsFolder", "pack", FileTool::FolderNavigation},
        {"RacFolder", "pack link", FileTool::FolderLink},
        // An unmarked catalogue list opens nothing; a marked one ("coche") opens its files.
        {"CatFile", "SOFT.M40", FileTool::Nothing},
        {"coche", "SOFT.M40", FileTool::CatalogueList},
        {"Unknown", "notes.txt", FileTool::TextViewer},
        {"coche", "X.SGN", FileTool::TextViewer},
        {"OpenFolder", "x", FileTool::Nothing},
        {"", "x.txt", FileTool::Nothing},
    };
    for (const ItemCase& c : cases)
        EXPECT_EQ(localItemTool(QString::fromLatin1(c.imageKey), QString::fromLatin1(c.name), {}, kFilters), c.tool)
            << c.imageKey << " " << c.name;
}
