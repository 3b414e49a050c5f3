#include "FailingFileWriter.h"
#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "core/MbFileIni.h"

#include <QLoggingCategory>
#include <QStringList>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace jvz;

namespace {

// A fresh INI file with the given bytes (no file at all when bytes is null).
struct IniFixture {
    std::string path;
    explicit IniFixture(const char* bytes, const std::string& name = "test.ini")
    {
        path = jvztest::makeScratchDir("ini") + "/" + name;
        if (bytes)
            jvztest::writeFileBytes(path, bytes);
    }
    MbFileIni open(FileWriter* writer = nullptr) const
    {
        MbFileIni ini(writer);
        ini.Create(QString::fromStdString(path));
        return ini;
    }
    std::string bytes() const { return jvztest::readFileBytes(path); }
};

QStringList walk(const std::function<QString()>& next, int calls)
{
    QStringList out;
    for (int i = 0; i < calls; ++i)
        out << next();
    return out;
}

const char* const kSettings = "; JVZ settings\r\n"
                              "[Options]\r\n"
                              "NTProtocol=yes\r\n"
                              "; debug switch\r\n"
                              "Debug=no\r\n"
                              "\r\n"
                              "[Protocol]\r\n"
                              "IpPort=2000\r\n";

} // namespace

TEST(IniFileRead, ValuesWithOddSpacingCaseCommentsAndLineEnds)
{
    struct Case {
        const char* file;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"[Files]\r\nLanguage=JVZ.lng\r\n", "Files", "Language", "JVZ.lng"},
        {"[Files]\nLanguage=JVZ.lng\n", "Files", "Language", "JVZ.lng"},     // LF only
        {"[Files]\nLanguage=JVZ.lng", "Files", "Language", "JVZ.lng"},       // no final line end
        {"[files]\r\nlanguage=JVZ.lng\r\n", "FILES", "LANGUAGE", "JVZ.lng"}, // any case
        {"  [ Files ]  \r\n  Language  =   JVZ.lng   \r\n", "Files", "Language", "JVZ.lng"},
        {"[Files]\r\nLanguage=\t a b \t\r\n", "Files", "Language", "a b"},
        {"[Files]\r\nLanguage=\"  quoted  \"\r\n", "Files", "Language", "  quoted  "},
        {"[Files]\r\nLanguage='x'\r\n", "Files", "Language", "x"},
        {"[Files]\r\nLanguage=\"x'\r\n", "Files", "Language", "\"x'"}, // quotes must match
        {"[Files]\r\nLanguage=a=b\r\n", "Files", "Language", "a=b"},
        {"[Files]\r\n;Language=old\r\nLanguage=new\r\n", "Files", "Language", "new"}, // comment skipped
        {"[Files]\r\nLanguage=first\r\nLanguage=second\r\n", "Files", "Language", "first"},
        {"[Files]\r\nA=1\r\n[Files]\r\nLanguage=late\r\n", "Files", "Language", "dflt"}, // first section wins
        {"Language=top\r\n[Files]\r\n", "Files", "Language", "dflt"},                    // before any section
        {"[Other]\r\nLanguage=x\r\n[Files]\r\n", "Files", "Language", "dflt"},
        {"[Files]\r\nLanguage=\r\n", "Files", "Language", "dflt"},                       // empty value
        {"[Files]\r\nLanguage=\xe9t\xe9\r\n", "Files", "Language", "\xc3\xa9t\xc3\xa9"}, // Windows-1252
        {"", "Files", "Language", "dflt"},
    };
    for (const Case& c : cases) {
        const IniFixture f(c.file);
        EXPECT_EQ(f.open().StringGet(c.section, c.key, "dflt"), QString::fromUtf8(c.expected)) << c.file;
    }
    EXPECT_EQ(IniFixture(nullptr).open().StringGet("Files", "Language", "dflt"), "dflt");
    EXPECT_EQ(IniFixture(nullptr).open().StringGet("Files", "Language"), "");
}

TEST(IniFileRead, LongValuesAreCutTo254Characters)
{
    const std::string value(300, 'v');
    const IniFixture f(("[S]\r\nK=" + value + "\r\n").c_str());
    EXPECT_EQ(f.open().StringGet("S", "K"), QString(254, 'v'));
}

TEST(IniFileRead, Booleans)
{
    struct Case {
        const char* value;
        const char* defaultText;
        bool expected;
    };
    const Case cases[] = {
        {"Yes", "No", true},  {"OUI", "No", true}, {"vrai", "No", true},   {" 1 ", "No", true},  {"ok", "No", true},
        {"TRUE", "No", true}, {"0", "Yes", false}, {"no", "Yes", false},   {"Y", "Yes", false},  {"yes!", "No", false},
        {"", "yes", true},    {"", "No", false},   {nullptr, "Oui", true}, {nullptr, "", false},
    };
    for (const Case& c : cases) {
        const std::string file = c.value ? std::string("[S]\r\nK=") + c.value + "\r\n" : "[S]\r\n";
        const IniFixture f(file.c_str());
        EXPECT_EQ(f.open().BooleanGet("S", "K", c.defaultText), c.expected) << (c.value ? c.value : "(missing)");
    }
    EXPECT_FALSE(IniFixture("[S]\r\n").open().BooleanGet("S", "K"));
}

TEST(IniFileRead, Integers)
{
    struct Case {
        const char* value; // null: key missing
        std::optional<int32_t> defaultValue;
        int32_t expected;
    };
    const Case cases[] = {
        {"12abc", {}, 12},
        {"abc", {}, 0},
        {"abc", 7, 0},
        {"", 7, 7},
        {nullptr, 7, 7},
        {nullptr, {}, 0},
        {"-5", {}, -5},
        {"2.5", {}, 2},
        {"3.5", {}, 4},
        {"20000", 5, 20000},
        {"99999999999", 30, 30},
        {"&H1F", 3, 0},
        {"-2147483648", {}, INT32_MIN},
    };
    for (const Case& c : cases) {
        const std::string file = c.value ? std::string("[S]\r\nK=") + c.value + "\r\n" : "[S]\r\n";
        const IniFixture f(file.c_str());
        EXPECT_EQ(f.open().IntegerGet("S", "K", c.defaultValue), c.expected) << (c.value ? c.value : "(missing)");
    }
}

TEST(IniFileIterate, KeysInFileOrder)
{
    const IniFixture f("[A]\r\nOne=1\r\n; note=x\r\ntwo = 2\r\n\r\nTHREE=\r\n[B]\r\nFour=4\r\n");
    MbFileIni ini = f.open();
    ini.KeyIteratorCreate("a");
    EXPECT_EQ(walk([&] { return ini.KeyIterator(); }, 6), QStringList({"One", "two", "THREE", "", "", ""}));
    ini.KeyIteratorCreate("Missing");
    EXPECT_EQ(walk([&] { return ini.KeyIterator(); }, 2), QStringList({"", ""}));
    MbFileIni none = IniFixture(nullptr).open();
    none.KeyIteratorCreate("A");
    EXPECT_EQ(none.KeyIterator(), "");
}

TEST(IniFileIterate, KeyListIsCutAtItsBuffer)
{
    std::string file = "[Big]\r\n";
    for (int i = 0; i < 300; ++i)
        file += "Key" + std::to_string(1000 + i) + "=x\r\n"; // 8 characters a name, NUL included
    const IniFixture f(file.c_str());
    MbFileIni ini = f.open();
    ini.KeyIteratorCreate("Big");
    QStringList names;
    for (QString k = ini.KeyIterator(); !k.isEmpty(); k = ini.KeyIterator())
        names << k;
    // 2048 - 2 characters hold 255 whole names and 6 characters of the next one.
    ASSERT_EQ(names.size(), 256);
    EXPECT_EQ(names.first(), "Key1000");
    EXPECT_EQ(names[254], "Key1254");
    EXPECT_EQ(names.last(), "Key125");
}

TEST(IniFileIterate, Sections)
{
    struct Case {
        const char* file;
        QStringList expected; // four calls
    };
    const Case cases[] = {
        {"[A]\r\nx=1\r\n[B]\r\n", {"A", "B", "", ""}}, {"[A]\nx=1\n[B]", {"A", "B", "", ""}},
        {"Path=a[1]\r\n", {"1", "", "", ""}},        // any field with "[" counts
        {"\"[q,r]\",[s]\r\n", {"q,r", "s", "", ""}}, // a quoted field keeps its comma
        {"x=\"[q,r]\",[s]\r\n", {"s", "", "", ""}},  // quotes count only at a field's start
        {"[open\r\n[C]\r\n", {"C", "", "", ""}},     // "[" without "]" names nothing
        {"  [ D ]\r\n", {" D ", "", "", ""}},          {"", {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        MbFileIni ini = IniFixture(c.file).open();
        ini.SectionIteratorCreate();
        EXPECT_EQ(walk([&] { return ini.SectionIterator(); }, 4), c.expected) << c.file;
    }
    MbFileIni none = IniFixture(nullptr).open();
    none.SectionIteratorCreate();
    EXPECT_EQ(none.SectionIterator(), "");
}

TEST(IniFileWrite, RoundTripKeepsCommentsAndKeyOrder)
{
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"Options", "Debug", "yes",
         "; JVZ settings\r\n[Options]\r\nNTProtocol=yes\r\n; debug "
         "switch\r\nDebug=yes\r\n\r\n[Protocol]\r\nIpPort=2000\r\n"},
        {"OPTIONS", "ntprotocol", "no", // the file keeps its spelling of the key
         "; JVZ settings\r\n[Options]\r\nNTProtocol=no\r\n; debug "
         "switch\r\nDebug=no\r\n\r\n[Protocol]\r\nIpPort=2000\r\n"},
        {"Options", "X07", "1",
         "; JVZ settings\r\n[Options]\r\nNTProtocol=yes\r\n; debug "
         "switch\r\nDebug=no\r\nX07=1\r\n\r\n[Protocol]\r\nIpPort=2000\r\n"},
        {"Files", "Language", "JVZ.lng",
         "; JVZ settings\r\n[Options]\r\nNTProtocol=yes\r\n; debug "
         "switch\r\nDebug=no\r\n\r\n[Protocol]\r\nIpPort=2000\r\n"
         "\r\n[Files]\r\nLanguage=JVZ.lng\r\n"},
    };
    for (const Case& c : cases) {
        const IniFixture f(kSettings);
        MbFileIni ini = f.open();
        EXPECT_TRUE(ini.StringSet(c.section, c.key, c.value)) << c.key;
        EXPECT_EQ(f.bytes(), c.expected) << c.key;
        EXPECT_EQ(ini.StringGet(c.section, c.key), c.value);
    }
}

TEST(IniFileWrite, LfFilesAreRewrittenWithCrLfAndMissingFilesCreated)
{
    const IniFixture lf("[S]\nA=1\nB=2");
    EXPECT_TRUE(lf.open().IntegerSet("S", "B", -5));
    EXPECT_EQ(lf.bytes(), "[S]\r\nA=1\r\nB=-5\r\n");

    const IniFixture missing(nullptr);
    MbFileIni ini = missing.open();
    EXPECT_TRUE(ini.BooleanSet("Options", "Auto_bmk", true));
    EXPECT_TRUE(ini.BooleanSet("Options", "Update_bmk", false));
    EXPECT_EQ(missing.bytes(), "[Options]\r\nAuto_bmk=Yes\r\nUpdate_bmk=No\r\n");
    // Another instance on the same file sees the writes at once.
    EXPECT_TRUE(missing.open().BooleanGet("options", "auto_bmk"));
}

TEST(IniFileWrite, FlagSaysDoneOnlyWhenTheValueReadsBack)
{
    struct Case {
        QString value;
        bool done;
    };
    const Case cases[] = {
        {"plain", true},
        {"", true}, // an empty value reads back as the empty default
        {" padded ", false},
        {QString(300, 'x'), false},
        {QString::fromUtf16(u"caf\u00e9 \u20ac"), true},
        {QString::fromUtf16(u"\u4e2d"), false}, // not in the code page: stored as '?'
    };
    for (const Case& c : cases) {
        const IniFixture f(kSettings);
        EXPECT_EQ(f.open().StringSet("Options", "Debug", c.value), c.done) << c.value.toStdString();
    }
}

TEST(IniFileWrite, RefusedWritesLeaveTheFileAlone)
{
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Options", "Debug", "two\r\nlines"}, {"Options", "Debug", "a\nb"}, {"Options", "De=bug", "x"},
        {"Opt]ions", "Debug", "x"},           {"", "Debug", "x"},           {"Options", "", "x"},
        {"Options", "[Fake]", "x"},           {"Options", ";Debug", "x"},
    };
    for (const Case& c : cases) {
        const IniFixture f(kSettings);
        EXPECT_FALSE(f.open().StringSet(c.section, c.key, c.value)) << c.section << "/" << c.key;
        EXPECT_EQ(f.bytes(), kSettings) << c.section << "/" << c.key;
    }
    // A folder under the file's name cannot be read, so nothing is written over it.
    const std::string dir = jvztest::makeScratchDir("ini-dir");
    MbFileIni ini;
    ini.Create(QString::fromStdString(dir));
    EXPECT_FALSE(ini.StringSet("S", "K", "v"));

    // A pipe is neither read without end nor replaced.
    const std::string fifo = dir + "/pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ini.Create(QString::fromStdString(fifo));
    EXPECT_EQ(ini.StringGet("S", "K", "dflt"), "dflt");
    EXPECT_FALSE(ini.StringSet("S", "K", "v"));
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(IniFileWrite, FailedWriteKeepsTheOldFileWhole)
{
    using FailAt = jvztest::FailingFileWriter::FailAt;
    for (const FailAt at : {FailAt::Begin, FailAt::Write, FailAt::Commit}) {
        const IniFixture f(kSettings);
        jvztest::FailingFileWriter writer(at, 20); // half-way through the new content
        MbFileIni ini = f.open(&writer);
        EXPECT_FALSE(ini.StringSet("Options", "Debug", "yes"));
        EXPECT_NE(ini.lastWriteError().number, 0);
        EXPECT_EQ(writer.beginCalls(), 1);
        EXPECT_EQ(f.bytes(), kSettings);
        EXPECT_EQ(ini.StringGet("Options", "Debug"), "no");
    }
}

// A real short write (the file may not grow past 100 bytes): the old file stays as it was.
TEST(IniFileWrite, DiskFullHalfWayKeepsTheOldFileWhole)
{
    const IniFixture f(kSettings);
    QLoggingCategory::setFilterRules(QStringLiteral("jvz.core.warning=false")); // no logging in the child
    const int code = jvztest::runWithFileSizeLimit(100, [&] {
        MbFileIni ini = f.open();
        const bool done = ini.StringSet("Options", "Debug", QString(200, 'y'));
        return done ? 1 : (ini.lastWriteError().number == EFBIG ? 0 : 2);
    });
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(f.bytes(), kSettings);
}

namespace {

class FailingReader : public FileReader {
public:
    FileReadResult read(const QString&, qint64) override { return {FileReadStatus::Failed, {}}; }
};

} // namespace

// A settings file is readable only when it is a regular file within the ceiling; otherwise every read gives
// the default and no write replaces it, and the owner can tell by Readable() before trusting any value.
TEST(IniFileRead, WhatCannotBeReadIsSaidSo)
{
    const std::string dir = jvztest::makeScratchDir("ini-readable");
    const std::string fifo = dir + "/pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = dir + "/zero.ini"; // a clone of the endless zero device, made here
    ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 5)), 0);
    const std::string big = dir + "/big.ini";
    {
        std::string bytes = "[S]\r\nK=v\r\n";
        bytes.resize(std::size_t(MbFileIni::MaxFileSize) + 1, ';');
        jvztest::writeFileBytes(big, bytes);
    }
    const std::string plain = dir + "/plain.ini";
    jvztest::writeFileBytes(plain, "[S]\r\nK=v\r\n");
    FailingReader failing;
    const struct {
        const char* name;
        std::string path;
        FileReader* reader;
        bool readable;
    } rows[] = {
        {"plain file", plain, nullptr, true},     {"over the ceiling", big, nullptr, false},
        {"FIFO", fifo, nullptr, false},           {"character device", device, nullptr, false},
        {"folder", dir, nullptr, false},          {"missing", dir + "/none.ini", nullptr, false},
        {"reader fails", plain, &failing, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        MbFileIni ini(nullptr, r.reader);
        ini.Create(QString::fromStdString(r.path));
        EXPECT_EQ(ini.Readable(), r.readable);
        EXPECT_EQ(ini.StringGet("S", "K", "dflt"), r.readable ? "v" : "dflt");
    }
    EXPECT_EQ(jvztest::readFileBytes(plain), "[S]\r\nK=v\r\n");
    MbFileIni ini(nullptr, &failing);
    ini.Create(QString::fromStdString(plain));
    EXPECT_FALSE(ini.StringSet("S", "K", "w"));
    EXPECT_EQ(jvztest::readFileBytes(plain), "[S]\r\nK=v\r\n");
}
