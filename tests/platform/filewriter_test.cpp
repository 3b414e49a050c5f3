#include "FailingFileWriter.h"
#include "FileSizeLimit.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "platform/FileWriter.h"
#include "platform/posix/SignalCleanup.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace jvz;
namespace fs = std::filesystem;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

// Names of the folder's entries, so a test can see that no temporary file was left behind.
std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

const std::string kOld = "old content\r\nline two\r\n";

} // namespace

TEST(AtomicFileWriter, CreatesAndReplacesFiles)
{
    const std::string dir = jvztest::makeScratchDir("w");
    const std::string file = dir + "/a.ini";
    FileWriteError err;
    ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(file), "first", &err)) << err.text.toStdString();
    EXPECT_EQ(jvztest::readFileBytes(file), "first");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(file), 0666 & ~mask);
    ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(file), std::string(100000, 'x').c_str()));
    EXPECT_EQ(jvztest::readFileBytes(file).size(), 100000u);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"a.ini"});
}

TEST(AtomicFileWriter, KeepsPermissionBits)
{
    for (const mode_t mode : {mode_t(0444), mode_t(0640), mode_t(0600), mode_t(0755)}) {
        const std::string file = jvztest::makeScratchDir("mode") + "/f.txt";
        ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        if (::access(file.c_str(), W_OK) != 0) {
            // Without root a read-only file is refused, as an in-place write would be.
            FileWriteError err;
            EXPECT_FALSE(AtomicFileWriter::standard().writeAll(q(file), "new", &err));
            EXPECT_EQ(jvztest::readFileBytes(file), kOld);
            continue;
        }
        ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(file), "new"));
        EXPECT_EQ(jvztest::readFileBytes(file), "new");
        EXPECT_EQ(modeOf(file), mode) << std::oct << mode;
    }
}

TEST(AtomicFileWriter, KeepsTheOwnerWherePermitted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    const std::string file = jvztest::makeScratchDir("own") + "/f.txt";
    ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(file), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
}

TEST(AtomicFileWriter, FollowsSymbolicLinks)
{
    const std::string dir = jvztest::makeScratchDir("link");
    const std::string real = dir + "/real.ini";
    ASSERT_TRUE(jvztest::writeFileBytes(real, kOld));
    fs::create_symlink("real.ini", dir + "/hop1.ini");
    fs::create_symlink(dir + "/hop1.ini", dir + "/hop2.ini");
    ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(dir + "/hop2.ini"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir + "/hop2.ini"));
    EXPECT_TRUE(fs::is_symlink(dir + "/hop1.ini"));
    EXPECT_EQ(jvztest::readFileBytes(real), "new");

    // A dangling link gets its target created.
    fs::create_symlink("made.ini", dir + "/dangling.ini");
    ASSERT_TRUE(AtomicFileWriter::standard().writeAll(q(dir + "/dangling.ini"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir + "/dangling.ini"));
    EXPECT_EQ(jvztest::readFileBytes(dir + "/made.ini"), "made");
}

TEST(AtomicFileWriter, RefusesWhatItCannotReplace)
{
    const std::string dir = jvztest::makeScratchDir("refuse");
    fs::create_directory(dir + "/folder");
    fs::create_symlink("loop2", dir + "/loop1");
    fs::create_symlink("loop1", dir + "/loop2");
    struct Case {
        std::string path;
        int errorNumber;
    };
    const Case cases[] = {
        {dir + "/folder", EISDIR},
        {dir + "/missing/f.txt", ENOENT},
        {dir + "/loop1", ELOOP},
        {"", ENOENT},
    };
    for (const Case& c : cases) {
        FileWriteError err;
        EXPECT_FALSE(AtomicFileWriter::standard().writeAll(q(c.path), "x", &err)) << c.path;
        EXPECT_EQ(err.number, c.errorNumber) << c.path << ": " << err.text.toStdString();
        EXPECT_FALSE(err.text.isEmpty());
    }
    EXPECT_TRUE(fs::is_symlink(dir + "/loop1"));
}

TEST(AtomicFileWriter, DroppedReplacementLeavesTheOldFile)
{
    const std::string dir = jvztest::makeScratchDir("drop");
    const std::string file = dir + "/f.txt";
    ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
    {
        auto r = AtomicFileWriter::standard().begin(q(file));
        ASSERT_TRUE(r);
        ASSERT_TRUE(r->write("partial"));
    }
    EXPECT_EQ(jvztest::readFileBytes(file), kOld);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"f.txt"});
}

// SIGINT, SIGTERM or SIGHUP while a replacement is under way. Without an orderly stop the signal ends the process
// at once, as it would have, and its temporary file goes with it (and a child group it registered, as pppd's); with
// one, the first signal is only told through its pipe and nothing is removed, and a second ends the process as
// above. Each case runs in a child process, which the signal ends.
TEST(AtomicFileWriter, SignalThatEndsTheProcessRemovesTheTemporaryFile)
{
    using namespace std::chrono_literals;
    const struct {
        const char* what;
        bool orderly;
        std::vector<int> sent;
        bool ends; // the process is ended by the last signal
    } cases[] = {
        {"SIGTERM", false, {SIGTERM}, true},
        {"SIGHUP", false, {SIGHUP}, true},
        {"SIGTERM, orderly stop", true, {SIGTERM}, false},
        {"SIGTERM then SIGINT, orderly stop", true, {SIGTERM, SIGINT}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = jvztest::makeScratchDir("signal");
        const std::string file = dir + "/f.txt";
        ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
        // The child's own child, leading its own group as pppd does.
        const pid_t group = ::fork();
        if (group == 0) {
            ::setpgid(0, 0);
            for (;;)
                ::pause();
        }
        ::setpgid(group, group);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int stop = c.orderly ? jvzio::armOrderlyStop() : -1;
            jvzio::rememberChildGroup(group);
            auto r = AtomicFileWriter::standard().begin(q(file));
            if (!r || !r->write("partial"))
                ::_exit(3);
            std::ofstream(dir + "/ready").put('1');
            // The first signal of an orderly stop only arrives here: told, the run would end in order.
            pollfd told{stop, POLLIN, 0};
            while (::poll(&told, stop >= 0 ? 1 : 0, -1) <= 0) {
            }
            unsigned char byte = 0;
            if (::read(stop, &byte, 1) == 1 && byte == SIGTERM && jvzio::orderlyStopSignal() == SIGTERM)
                std::ofstream(dir + "/told").put('1');
            for (;;)
                ::pause();
        }
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!fs::exists(dir + "/ready") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        ASSERT_EQ(entries(dir).size(), 3u) << "the file, its temporary sibling and the child's mark";
        for (const int s : c.sent) {
            ::kill(pid, s);
            std::this_thread::sleep_for(50ms);
        }
        // A process that goes on is given a moment to show it does.
        const auto endBound = c.ends ? deadline : std::chrono::steady_clock::now() + 300ms;
        int status = 0;
        bool ended = false;
        while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) && std::chrono::steady_clock::now() < endBound)
            std::this_thread::sleep_for(2ms);
        EXPECT_EQ(ended, c.ends);
        if (ended) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.sent.back()) << status;
            const std::vector<std::string> left = c.orderly ? std::vector<std::string>{"f.txt", "ready", "told"}
                                                            : std::vector<std::string>{"f.txt", "ready"};
            EXPECT_EQ(entries(dir), left);
        } else {
            EXPECT_EQ(entries(dir).size(), 4u) << "the temporary file stays while the run ends in order";
            EXPECT_TRUE(fs::exists(dir + "/told"));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        EXPECT_EQ(jvztest::readFileBytes(file), kOld);
        int groupStatus = 0;
        bool groupEnded = false;
        while (!(groupEnded = ::waitpid(group, &groupStatus, WNOHANG) == group) &&
               std::chrono::steady_clock::now() < deadline && c.ends)
            std::this_thread::sleep_for(2ms);
        EXPECT_EQ(groupEnded, c.ends) << "the registered group is sent SIGTERM";
        if (!groupEnded) {
            ::kill(group, SIGKILL);
            ::waitpid(group, &groupStatus, 0);
        }
    }
}

// The disk fills up half-way: the write fails for real (file size limit), the old file stays whole.
TEST(AtomicFileWriter, WriteFailingHalfWayKeepsTheOldFile)
{
    const std::string dir = jvztest::makeScratchDir("half");
    const std::string file = dir + "/f.txt";
    ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
    const int code = jvztest::runWithFileSizeLimit(4096, [&] {
        FileWriteError err;
        const bool ok = AtomicFileWriter::standard().writeAll(q(file), QByteArray(10000, 'n'), &err);
        return ok ? 1 : (err.number == EFBIG ? 0 : 2);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(jvztest::readFileBytes(file), kOld);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"f.txt"});
}

TEST(FailingFileWriterDouble, FailsWhereAskedAndKeepsTheOldFile)
{
    using FailAt = jvztest::FailingFileWriter::FailAt;
    const FailAt points[] = {FailAt::Begin, FailAt::Write, FailAt::Commit};
    for (const FailAt at : points) {
        const std::string dir = jvztest::makeScratchDir("double");
        const std::string file = dir + "/f.txt";
        ASSERT_TRUE(jvztest::writeFileBytes(file, kOld));
        jvztest::FailingFileWriter writer(at, 3);
        FileWriteError err;
        EXPECT_FALSE(writer.writeAll(q(file), "new content", &err)) << int(at);
        EXPECT_NE(err.number, 0);
        EXPECT_EQ(writer.failures(), 1);
        EXPECT_EQ(jvztest::readFileBytes(file), kOld);
        EXPECT_EQ(entries(dir), std::vector<std::string>{"f.txt"});
    }
    const std::string file = jvztest::makeScratchDir("double") + "/f.txt";
    jvztest::FailingFileWriter writer(FailAt::Never);
    EXPECT_TRUE(writer.writeAll(q(file), "new"));
    EXPECT_EQ(jvztest::readFileBytes(file), "new");
}

// What the user names as an output: a link is followed and kept, a FIFO or a device is written in place and
// stays, a folder is refused; a file the program owns still accepts nothing but a regular file.
TEST(UserOutputWriter, LinksFifosDevicesAndFolders)
{
    const std::string dir = jvztest::makeScratchDir("user-output");
    jvztest::writeFileBytes(dir + "/target.txt", kOld);
    fs::create_symlink("target.txt", dir + "/link.txt");
    fs::create_symlink("nowhere/new.txt", dir + "/dangling.txt");
    fs::create_directory(dir + "/nowhere");
    ASSERT_TRUE(jvztest::makeFifo(dir + "/pipe"));
    ASSERT_TRUE(jvztest::makeFifo(dir + "/pipe-without-reader"));
    ASSERT_TRUE(jvztest::makeCharDevice(dir + "/null", jvztest::CharDevice::Null));
    fs::create_directory(dir + "/folder");
    jvztest::FifoReader reader(dir + "/pipe");
    ASSERT_TRUE(reader.isOpen());

    const struct {
        const char* name;
        std::string path;
        bool written;
        bool ownFileWritten; // through the writer of the program's own files
    } rows[] = {
        {"link to a file", dir + "/link.txt", true, true},
        {"dangling link", dir + "/dangling.txt", true, true},
        {"FIFO with a reader", dir + "/pipe", true, false},
        {"FIFO without a reader", dir + "/pipe-without-reader", false, false},
        {"device node", dir + "/null", true, false},
        {"folder", dir + "/folder", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        FileWriteError err;
        EXPECT_EQ(UserOutputWriter::standard().writeAll(q(r.path), "new\r\n", &err), r.written)
            << err.text.toStdString();
        if (!r.written) {
            EXPECT_NE(err.number, 0);
        }
        EXPECT_EQ(AtomicFileWriter::standard().writeAll(q(r.path), "own\r\n"), r.ownFileWritten);
    }
    EXPECT_TRUE(jvztest::isSymlinkTo(dir + "/link.txt", "target.txt"));
    EXPECT_TRUE(jvztest::isSymlinkTo(dir + "/dangling.txt", "nowhere/new.txt"));
    EXPECT_EQ(jvztest::readFileBytes(dir + "/nowhere/new.txt"), "own\r\n");
    EXPECT_EQ(jvztest::readFileBytes(dir + "/target.txt"), "own\r\n");
    EXPECT_EQ(reader.readAll(), "new\r\n");
    EXPECT_TRUE(jvztest::isFifo(dir + "/pipe"));
    EXPECT_TRUE(jvztest::isFifo(dir + "/pipe-without-reader"));
    EXPECT_TRUE(jvztest::isCharDevice(dir + "/null"));
    EXPECT_TRUE(fs::is_directory(dir + "/folder"));
    // Nothing left behind: only what the test made.
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"dangling.txt", "folder", "link.txt", "nowhere", "null", "pipe",
                                                      "pipe-without-reader", "target.txt"}));
    EXPECT_EQ(entries(dir + "/nowhere"), std::vector<std::string>{"new.txt"});
}
