#include "TestEnv.h"
#include "core/PerUserFolder.h"
#include "core/PlatformHelpers.h"
#include "platform/Clock.h"
#include "platform/UserSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class FakeClock : public Clock {
public:
    uint64_t now = 0;
    uint64_t monotonicMs() const override { return now; }
};

std::optional<RegistryValue> reg(uint32_t type, const QByteArray& data)
{
    return RegistryValue{type, data};
}

} // namespace

TEST(PlatformRegistry, ValuesAsText)
{
    const struct {
        const char* what;
        std::optional<RegistryValue> value;
        QString expected;
    } cases[] = {
        {"missing value", std::nullopt, ""},
        {"dword", reg(RegDword, QByteArray("\x01\x00\x00\x00", 4)), ""},
        {"unknown type", reg(11, QByteArray("abc")), ""},
        {"string with its NUL", reg(RegString, QByteArray("COM3\0", 5)), "COM3"},
        {"string without its NUL", reg(RegString, QByteArray("COM3")), "COM3"},
        {"string cut at the first NUL", reg(RegString, QByteArray("A\0B\0", 4)), "A"},
        {"binary little-endian", reg(RegBinary, QByteArray("\x34\x12", 2)), "4660"},
        {"binary negative", reg(RegBinary, QByteArray("\xff\xff", 2)), "-1"},
        {"binary one byte", reg(RegBinary, QByteArray("\x07", 1)), "7"},
        {"binary longer than its buffer", reg(RegBinary, QByteArray("\x01\x02\x03\x04\x05", 5)), ""},
        {"multi-string keeps its NULs", reg(RegMultiString, QByteArray("a\0b\0\0", 5)),
         QString::fromLatin1("a\0b\0\0", 5)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegQueryString(c.value), c.expected) << c.what;
}

TEST(PlatformRegistry, ProgramWideViewFindsNothing)
{
    EXPECT_EQ(RegGetString(EmptyRegistry(), RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet", "InfPath"), "");
}

TEST(PlatformVersion, TableOfRecords)
{
    const struct {
        int platformId, major, minor;
        int16_t code;
        const char* name;
    } cases[] = {
        {0, 3, 1, 1, "Windows 3.1 "},      {1, 4, 0, 2, "Windows 95"},         {1, 9, 10, 3, "Windows 98"},
        {1, 4, 90, 4, "Windows Me"},       {1, 4, 5, 0, "Unknown Plateform"},  {2, 4, 0, 5, "Windows NT "},
        {2, 5, 0, 6, "Windows 2000 "},     {2, 5, 1, 7, "Windows XP "},        {2, 5, 2, 8, "Windows Server 2003 "},
        {2, 6, 0, 9, "Windows Vista "},    {2, 6, 1, 10, "Windows Seven "},    {2, 6, 2, 11, "Windows 8 "},
        {2, 6, 3, 0, "Unknown Plateform"}, {2, 10, 0, 0, "Unknown Plateform"}, {3, 5, 1, 0, "Unknown Plateform"},
    };
    for (const auto& c : cases) {
        QString name = "unchanged";
        EXPECT_EQ(windowsVersionFromRecord(c.platformId, c.major, c.minor, &name), c.code)
            << c.platformId << " " << c.major << "." << c.minor;
        EXPECT_EQ(name, c.name);
    }
}

TEST(PlatformVersion, RunningSystemTakesTheNewestPathAndNamesLinux)
{
    QString name;
    EXPECT_EQ(GetWindowsVersion(&name), kNewestVersionCode);
    EXPECT_EQ(GetWindowsVersion(), 11);
    EXPECT_TRUE(name.contains("Linux")) << name.toStdString();
}

TEST(PlatformPaths, ShortFileNameIsThePathItselfForAnExistingFile)
{
    const QString dir = QString::fromStdString(jvztest::makeScratchDir("short"));
    const QString file = dir + "/JVZroute.bat";
    ASSERT_TRUE(jvztest::writeFileBytes(file.toStdString(), "x"));
    QString shortPath;
    EXPECT_EQ(GetShortFileName(file, shortPath), file.size());
    EXPECT_EQ(shortPath, file);
    EXPECT_EQ(GetShortFileName(dir + "/missing.bat", shortPath), 0);
    EXPECT_TRUE(shortPath.isEmpty());
    EXPECT_FALSE(GetSystemDirectoryPath().isEmpty());
}

TEST(PlatformClock, ElapsedSurvivesTheWrapOfThe32BitClock)
{
    const struct {
        uint64_t start, end;
        uint32_t elapsed;
    } cases[] = {
        {1000, 1250, 250},
        {0x7FFFFFF0ull, 0x80000010ull, 0x20},   // across 2^31
        {0xFFFFFFF0ull, 0x100000010ull, 0x20},  // across 2^32
        {0x1FFFFFFF0ull, 0x200000005ull, 0x15}, // a later lap of the 64-bit clock
    };
    FakeClock clock;
    for (const auto& c : cases) {
        clock.now = c.start;
        const uint32_t t0 = GetMilliseconds(clock);
        clock.now = c.end;
        EXPECT_EQ(ElapsedMilliseconds(t0, clock), c.elapsed) << c.start;
    }
}

TEST(PlatformClock, SteadyClockDoesNotGoBack)
{
    SteadyClock clock;
    const uint64_t a = clock.monotonicMs();
    EXPECT_GE(clock.monotonicMs(), a);
}

TEST(PlatformPerUserFolder, IsBuiltBelowTheGenericDataLocationWithItsTempFolder)
{
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/JVZ/");
    QDir(expected).removeRecursively();
    const QString path = GetAppDataDir();
    EXPECT_EQ(path, expected);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(QFileInfo(path + "temp").isDir());
    // A second call finds it in place and answers the same path.
    ASSERT_TRUE(jvztest::writeFileBytes((path + "keep.txt").toStdString(), "k"));
    EXPECT_EQ(GetAppDataDir(), expected);
    EXPECT_TRUE(QFileInfo::exists(path + "keep.txt"));
    EXPECT_EQ(GetAppTempDir(), expected + "temp/");
}

TEST(PlatformPerUserFolder, FollowsTheEnvironmentAtEachCall)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString other = QString::fromStdString(jvztest::makeScratchDir("xdg"));
    qputenv("XDG_DATA_HOME", other.toLocal8Bit());
    const QString path = GetAppDataDir();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(path, other + "/JVZ/");
    EXPECT_TRUE(QFileInfo(other + "/JVZ/temp").isDir());
}

TEST(PlatformUserSettings, StoredTextsAndFallbacks)
{
    QSettingsUserStore store;
    EXPECT_EQ(store.value("JVZ", "Parameter", "WindowState", "-1"), "-1");
    ASSERT_TRUE(store.setValue("JVZ", "Parameter", "WindowState", "2"));
    EXPECT_EQ(store.value("JVZ", "Parameter", "WindowState", "-1"), "2");
    // Another application name is another store.
    EXPECT_EQ(store.value("Other", "Parameter", "WindowState", "x"), "x");
    // A fresh object reads what the first one wrote.
    EXPECT_EQ(QSettingsUserStore().value("JVZ", "Parameter", "WindowState", ""), "2");
}
