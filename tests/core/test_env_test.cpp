#include "TestEnv.h"

#include <QStandardPaths>
#include <cstdlib>
#include <gtest/gtest.h>

// Every test process must write its per-user files below its own scratch root, never in the real HOME.
TEST(TestEnvironment, PerUserFoldersPointIntoTheScratchRoot)
{
    const std::string root = jvztest::processScratchRoot();
    ASSERT_FALSE(root.empty());
    for (const char* var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(var);
        ASSERT_NE(value, nullptr) << var;
        EXPECT_EQ(std::string(value).rfind(root, 0), 0u) << var << "=" << value;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_TRUE(data.startsWith(QString::fromStdString(root))) << data.toStdString();
}

TEST(TestEnvironment, ScratchDirsAreFreshAndDistinct)
{
    const std::string a = jvztest::makeScratchDir("x");
    const std::string b = jvztest::makeScratchDir("x");
    EXPECT_NE(a, b);
    EXPECT_TRUE(jvztest::writeFileBytes(a + "/f.bin", std::string("\0\xff", 2)));
    EXPECT_EQ(jvztest::readFileBytes(a + "/f.bin"), std::string("\0\xff", 2));
}
