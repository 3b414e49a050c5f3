#include "TestEnv.h"
#include "diagconv/ConsoleKey.h"
#include "diagconv/ReportOutput.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::size_t entries(const std::string& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(FileOutput, NothingUnderTheFinalNameUntilCommit)
{
    const std::string dir = jvztest::makeScratchDir("out");
    ASSERT_TRUE(jvztest::writeFileBytes(dir + "/report.txt", "old report"));
    {
        diagconv::FileOutput output;
        std::ostream* stream = output.open(dir + "/report.txt");
        ASSERT_NE(stream, nullptr);
        *stream << "new";
        EXPECT_EQ(jvztest::readFileBytes(dir + "/report.txt"), "old report");
        EXPECT_EQ(entries(dir), 2u);
        // Dropped without commit: the old report stays, the temporary goes.
    }
    EXPECT_EQ(jvztest::readFileBytes(dir + "/report.txt"), "old report");
    EXPECT_EQ(entries(dir), 1u);

    diagconv::FileOutput output;
    std::ostream* stream = output.open(dir + "/report.txt");
    ASSERT_NE(stream, nullptr);
    *stream << "new";
    EXPECT_TRUE(output.commit());
    EXPECT_EQ(jvztest::readFileBytes(dir + "/report.txt"), "new");
    EXPECT_EQ(entries(dir), 1u);
}

TEST(FileOutput, RefusesFoldersAndMissingFolders)
{
    const std::string dir = jvztest::makeScratchDir("out");
    for (const std::string& path : {dir, dir + "/missing/report.txt", std::string()}) {
        diagconv::FileOutput output;
        EXPECT_EQ(output.open(path), nullptr) << path;
        EXPECT_FALSE(output.commit()) << path;
    }
    EXPECT_EQ(entries(dir), 0u);
}

TEST(FileOutput, KeepsTheModeOfTheReplacedFileAndWritesThroughLinks)
{
    const std::string dir = jvztest::makeScratchDir("out");
    ASSERT_TRUE(jvztest::writeFileBytes(dir + "/target.txt", "old"));
    ASSERT_EQ(chmod((dir + "/target.txt").c_str(), 0640), 0);
    fs::create_symlink("target.txt", dir + "/link.txt");
    diagconv::FileOutput output;
    std::ostream* stream = output.open(dir + "/link.txt");
    ASSERT_NE(stream, nullptr);
    *stream << "through";
    ASSERT_TRUE(output.commit());
    EXPECT_TRUE(fs::is_symlink(dir + "/link.txt"));
    EXPECT_EQ(jvztest::readFileBytes(dir + "/target.txt"), "through");
    struct stat info {};
    ASSERT_EQ(stat((dir + "/target.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(FileOutput, WritesAPipeDirectly)
{
    const std::string dir = jvztest::makeScratchDir("out");
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opened for reading first, non-blocking, so the writer's open does not wait for a reader.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    diagconv::FileOutput output;
    std::ostream* stream = output.open(fifo);
    ASSERT_NE(stream, nullptr);
    *stream << "report";
    EXPECT_TRUE(output.commit());
    char buffer[16] = {};
    EXPECT_EQ(read(reader, buffer, sizeof buffer), 6);
    EXPECT_STREQ(buffer, "report");
    close(reader);
    EXPECT_EQ(entries(dir), 1u);
}

TEST(ConsoleKey, ReturnsAtOnceWhenInputIsNoTerminal)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    diagconv::waitForKeyPress(fds[0]); // nothing written: a read would block
    close(fds[0]);
    close(fds[1]);
    const int null = open("/dev/null", O_RDONLY);
    ASSERT_GE(null, 0);
    diagconv::waitForKeyPress(null);
    close(null);
    diagconv::waitForKeyPress(-1);
}

} // namespace
