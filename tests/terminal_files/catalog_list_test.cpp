// Reading catalogue lists: line kinds, directory lines, where file lines point, the end of a list, and
// which lists suit a terminal.
#include "SpecialFiles.h"
#include "TransferWorld.h"
#include "terminal_files/CatalogList.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

struct KindCase {
    const char* line;
    CatalogLineKind kind;
};

TEST(CatalogLines, KindIsDecidedOnTheRawLine)
{
    const KindCase cases[] = {
        {"", CatalogLineKind::End},         {"-eSWAP", CatalogLineKind::Directory},
        {"-e", CatalogLineKind::Directory}, {"-e SWAP", CatalogLineKind::Directory},
        {"-ESWAP", CatalogLineKind::File}, // upper-case E is no directory line
        {" -eSWAP", CatalogLineKind::File}, {";comment", CatalogLineKind::Comment},
        {";", CatalogLineKind::Comment},    {" ;not a comment", CatalogLineKind::File},
        {"APP.SGN", CatalogLineKind::File}, {" ", CatalogLineKind::File},
    };
    for (const KindCase& c : cases)
        EXPECT_EQ(classifyCatalogLine(QString::fromLatin1(c.line)), c.kind) << c.line;
}

TEST(CatalogLines, DirectoryArgumentLosesTrailingBlanksOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"-eSWAP", "SWAP"},           {"-eswap", "SWAP"},     {"-e", ""},
        {"-e SWAP", " SWAP"},         {"-esw ap  ", "SW AP"}, {"-ehost\t", "HOST\t"}, // only blanks go
        {"-e\xe9t\xe9", "\xc9T\xc9"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(catalogDirectoryArgument(QString::fromLatin1(line)), QString::fromLatin1(expected)) << line;
}

TEST(CatalogPaths, LastSeparatorSplitsFolderAndName)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } const cases[] = {
        {"C:\\LOADS\\APP.SGN", "C:\\LOADS\\", "APP.SGN"},
        {"APP.SGN", "", "APP.SGN"},
        {"C:APP.SGN", "", "C:APP.SGN"},
        {"sub/dir/app.sgn", "sub/dir/", "app.sgn"},
        {"mixed\\sub/app.sgn", "mixed\\sub/", "app.sgn"},
        {"FOLDER\\", "FOLDER\\", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOf(QString::fromLatin1(c.path)), QString::fromLatin1(c.folder)) << c.path;
        EXPECT_EQ(FileNameOf(QString::fromLatin1(c.path)), QString::fromLatin1(c.name)) << c.path;
    }
}

TEST(CatalogPaths, FileLinesResolveByForm)
{
    struct Case {
        const char* line;
        CatalogPathForm form;
        const char* folder;
        const char* name;
    } const cases[] = {
        {"C:\\LOADS\\APP.SGN", CatalogPathForm::DriveAbsolute, "/LOADS/", "APP.SGN"},
        {"C:APP.SGN", CatalogPathForm::DriveAbsolute, "", "C:APP.SGN"},
        {"x:\\a\\b\\c.sgn", CatalogPathForm::DriveAbsolute, "/a/b/", "c.sgn"},
        {"\\\\SERVER\\SHARE\\APP.SGN", CatalogPathForm::Network, "//SERVER/SHARE/", "APP.SGN"},
        {"\\LOADS\\APP.SGN", CatalogPathForm::DriveRooted, "/LOADS/", "APP.SGN"},
        {"/srv/loads/APP.SGN", CatalogPathForm::Absolute, "/srv/loads/", "APP.SGN"},
        {"SUB\\APP.SGN", CatalogPathForm::Relative, "/data/cat/SUB/", "APP.SGN"},
        {"sub/app.sgn", CatalogPathForm::Relative, "/data/cat/sub/", "app.sgn"},
        {"..\\OTHER\\APP.SGN", CatalogPathForm::Relative, "/data/cat/../OTHER/", "APP.SGN"},
        {"APP.SGN", CatalogPathForm::Relative, "/data/cat/", "APP.SGN"},
        {" APP.SGN", CatalogPathForm::Relative, "/data/cat/", " APP.SGN"}, // the blank belongs to the name
    };
    for (const Case& c : cases) {
        const CatalogFileRef ref = resolveCatalogFile(QString::fromLatin1(c.line), QStringLiteral("/data/cat/"));
        EXPECT_EQ(ref.form, c.form) << c.line;
        EXPECT_EQ(ref.folder, QString::fromLatin1(c.folder)) << c.line;
        EXPECT_EQ(ref.name, QString::fromLatin1(c.name)) << c.line;
    }
}

TEST(CatalogPaths, BaseFolderIsTheListsOwnFolder)
{
    EXPECT_EQ(catalogBaseFolder(QStringLiteral("/data/cat/LOAD.M40")), QStringLiteral("/data/cat/"));
    EXPECT_EQ(catalogBaseFolder(QStringLiteral("LOAD.M40")), QString());
    EXPECT_EQ(catalogBaseFolder(QStringLiteral("/LOAD.M40")), QStringLiteral("/"));
}

TEST(CatalogSuitability, ExtensionAgainstProductCode)
{
    struct Case {
        const char* path;
        const char* product;
        XListRule rule;
        bool suits;
    } const cases[] = {
        {"/c/LOAD.M40", "M40", XListRule::AnyX, true},  {"/c/load.m40", "M40", XListRule::AnyX, true},
        {"/c/LOAD.M41", "M40", XListRule::AnyX, false}, {"/c/LOAD.ALX", "M40", XListRule::AnyX, true},
        {"/c/load.alx", "M40", XListRule::AnyX, true},  {"/c/LOAD.ALX", "M40", XListRule::NotAccepted, false},
        {"/c/LOAD.M40", "m40", XListRule::AnyX, false}, // the terminal's code is compared as it came
        {"/c/LOAD.M40", "", XListRule::AnyX, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(catalogSuitsTerminal(QString::fromLatin1(c.path), QString::fromLatin1(c.product), c.rule), c.suits)
            << c.path << " " << c.product;
}

// The lines a reader delivers up to the end of the list.
QStringList readList(const QByteArray& bytes)
{
    const QString path = scratchFolder("list") + QStringLiteral("LOAD.M40");
    writeFile(path, bytes);
    CatalogListReader reader;
    EXPECT_TRUE(reader.OpenTextFileForRead(path));
    QStringList lines;
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line))
        lines.append(line);
    reader.CloseTextFile();
    return lines;
}

TEST(CatalogReader, LineEndsAndTheEmptyLineEnd)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    } const cases[] = {
        {"crlf", "A.SGN\r\nB.SGN\r\n", {"A.SGN", "B.SGN"}},
        {"lf written on Linux", "A.SGN\nB.SGN\n", {"A.SGN", "B.SGN"}},
        {"bare cr", "A.SGN\rB.SGN\r", {"A.SGN", "B.SGN"}},
        {"mixed", "A.SGN\r\nB.SGN\nC.SGN\rD.SGN", {"A.SGN", "B.SGN", "C.SGN", "D.SGN"}},
        {"no end on the last line", "A.SGN", {"A.SGN"}},
        {"empty line ends the list", "A.SGN\r\n\r\nB.SGN\r\n", {"A.SGN"}},
        {"empty line in lf list", "A.SGN\n\nB.SGN\n", {"A.SGN"}},
        {"cr cr is an empty line", "A.SGN\r\rB.SGN", {"A.SGN"}},
        {"empty file", "", {}},
        {"blanks are kept", " A.SGN \r\n", {" A.SGN "}},
        {"windows-1252", "\xe9t\xe9.SGN\r\n", {QString::fromUtf8("été.SGN")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readList(c.bytes), c.lines) << c.name;
}

TEST(CatalogReader, OverlongLineIsCutAndTheNextLineStillReads)
{
    QByteArray bytes(CatalogListReader::MaxLineLength + 100, 'A');
    bytes += "\r\nB.SGN\r\n";
    const QStringList lines = readList(bytes);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), CatalogListReader::MaxLineLength);
    EXPECT_EQ(lines[1], QStringLiteral("B.SGN"));
}

// What could be read for ever, or is no list at all, is refused when it is opened, before any line is read.
TEST(CatalogReader, FifoDeviceFolderAndOversizedListsAreRefusedAtOnce)
{
    const QString folder = scratchFolder("special");
    const std::string dir = folder.toStdString();
    ASSERT_TRUE(jvztest::makeFifo(dir + "PIPE.M40")); // no writer ever comes
    ASSERT_TRUE(jvztest::makeCharDevice(dir + "ZERO.M40", jvztest::CharDevice::Zero));
    QDir().mkpath(folder + QStringLiteral("FOLDER.M40"));
    QByteArray big(CatalogListReader::MaxFileSize + 1, 'A');
    writeFile(folder + QStringLiteral("BIG.M40"), big);
    writeFile(folder + QStringLiteral("GOOD.M40"), "A.SGN\r\n");
    for (const char* name : {"PIPE.M40", "ZERO.M40", "FOLDER.M40", "BIG.M40"}) {
        SCOPED_TRACE(name);
        QElapsedTimer clock;
        clock.start();
        CatalogListReader reader;
        EXPECT_FALSE(reader.OpenTextFileForRead(folder + QLatin1String(name)));
        EXPECT_FALSE(reader.isOpen());
        QString line = QStringLiteral("stale");
        reader.ReadTextLine(line);
        EXPECT_TRUE(line.isEmpty());
        EXPECT_LT(clock.elapsed(), 5000);
    }
    CatalogListReader reader;
    ASSERT_TRUE(reader.OpenTextFileForRead(folder + QStringLiteral("GOOD.M40")));
    QString line;
    reader.ReadTextLine(line);
    EXPECT_EQ(line, QStringLiteral("A.SGN"));
}

// Lists written on Windows name their files in any case: the file that differs only in case is the one sent.
TEST(CatalogPaths, FileLinesFindTheirFileInAnyCase)
{
    const QString base = scratchFolder("case");
    QDir().mkpath(base + QStringLiteral("Sub"));
    writeFile(base + QStringLiteral("Sub/App.Sgn"), "x");
    writeFile(base + QStringLiteral("EXACT.sgn"), "x");
    writeFile(base + QStringLiteral("exact.SGN"), "y");
    const struct {
        const char* line;
        const char* folder; // below base
        const char* name;
    } rows[] = {
        {"SUB\\APP.SGN", "Sub/", "App.Sgn"},
        {"sub/app.sgn", "Sub/", "App.Sgn"},
        {"EXACT.sgn", "", "EXACT.sgn"}, // the exact name wins
        {"exact.SGN", "", "exact.SGN"},
        {"NONE.SGN", "", "NONE.SGN"}, // nothing matches: the name as written, for the report
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        const CatalogFileRef ref = resolveCatalogFile(QString::fromLatin1(r.line), base);
        EXPECT_EQ(ref.folder, base + QLatin1String(r.folder));
        EXPECT_EQ(ref.name, QLatin1String(r.name));
    }
}

TEST(CatalogReader, MissingFileOrFolderDoesNotOpen)
{
    const QString folder = scratchFolder("none");
    CatalogListReader reader;
    EXPECT_FALSE(reader.OpenTextFileForRead(folder + QStringLiteral("ABSENT.M40")));
    EXPECT_FALSE(reader.OpenTextFileForRead(folder));
    QString line = QStringLiteral("stale");
    reader.ReadTextLine(line);
    EXPECT_TRUE(line.isEmpty());
}

} // namespace
