#include "TestEnv.h"
#include "core/MbFilename.h"
#include "core/PathMapper.h"

#include <gtest/gtest.h>

using namespace jvz;

TEST(PathMapper, WindowsPathsBecomeLocal)
{
    struct Case {
        QString windows;
        QString local;
        bool network;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "/dir/file.txt", false},
        {"c:\\", "/", false},
        {"C:", "/", false},
        {"D:\\\\deep\\x", "/deep/x", false},
        {"C:relative\\x", "relative/x", false},
        {"\\file.txt", "/file.txt", false},
        {"\\\\server\\share\\x.cfg", "//server/share/x.cfg", true},
        {"//server/share", "//server/share", true},
        {"dir\\sub\\f.M40", "dir/sub/f.M40", false},
        {"..\\up\\f", "../up/f", false},
        {"/already/local", "/already/local", false},
        {"", "", false},
        {"1:\\x", "1:/x", false}, // not a drive letter
    };
    for (const Case& c : cases) {
        const QString mapped = mapWindowsPath(c.windows);
        EXPECT_EQ(mapped, c.local) << c.windows.toStdString();
        EXPECT_EQ(isNetworkPath(mapped), c.network) << c.windows.toStdString();
    }
}

TEST(Filename, PartsOfDriveNetworkRelativeAndNativePaths)
{
    struct Case {
        QString path; // mapped first when it is a Windows path
        QString extension;
        QString name;
        QString title;
        QString folder;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "txt", "file", "file.txt", "/dir"},
        {"C:\\dir.old\\readme", "", "readme", "readme", "/dir.old"},
        {"archive.tar.gz", "gz", "archive.tar", "archive.tar.gz", "."},
        {"C:\\file.txt", "txt", "file", "file.txt", ""}, // the root folder: Path & "/" rebuilds it
        {"C:\\", "", "", "", ""},
        {"\\file.txt", "txt", "file", "file.txt", ""},
        {"", "", "", "", "."},
        {"\\\\server\\share\\x.cfg", "cfg", "x", "x.cfg", "//server/share"},
        {"name.", "", "name.", "name.", "."},
        {"dir\\sub\\f.M40", "M40", "f", "f.M40", "dir/sub"},
        {"/home/user/.bashrc", "bashrc", "", ".bashrc", "/home/user"},
        {"/home/user/folder/", "", "", "", "/home/user/folder"},
        {"/var/a.b/c", "", "c", "c", "/var/a.b"},
        {"relative/x.tar.gz", "gz", "x.tar", "x.tar.gz", "relative"},
        {"back\\slash.txt", "txt", "slash", "slash.txt", "back"},
    };
    for (const Case& c : cases) {
        const MbFilename f(mapWindowsPath(c.path));
        const std::string label = c.path.toStdString();
        EXPECT_EQ(f.Extension(), c.extension) << label;
        EXPECT_EQ(f.Name(), c.name) << label;
        EXPECT_EQ(f.Title(), c.title) << label;
        EXPECT_EQ(f.Path(), c.folder) << label;
        EXPECT_EQ(f.Drive(), "") << label;
        EXPECT_EQ(f.Directory(), "") << label;
    }
}

TEST(Filename, ExistenceOfFilesFoldersAndPatterns)
{
    const QString dir = QString::fromStdString(jvztest::makeScratchDir("exist"));
    ASSERT_TRUE(jvztest::writeFileBytes((dir + "/cat.M40").toStdString(), "x"));
    struct Case {
        QString path;
        bool exists;
    };
    const Case cases[] = {
        {dir + "/cat.M40", true},
        {dir, true},
        {dir + "/", true},
        {dir + "/cat.m40", false},
        {dir + "/*.M40", true},
        {dir + "/c?t.*", true},
        {dir + "/*.zip", false},
        {dir + "/none/x", false},
        {"", false},
        {"/", true},
        {dir + "/none/*.M40", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbFilename(c.path).IsExist(), c.exists) << c.path.toStdString();
}
