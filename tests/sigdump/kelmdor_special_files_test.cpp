// Files that are not plain files, given to the built dumper as a real process: outputs through a link, into a
// FIFO or a device node (all kept), inputs that would never end, an output that is the input, and a run stopped
// by a signal while its report is being written.
#include "KelmdorHarness.h"
#include "SignedFileBuilder.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "sigdump/Kelmdor.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace sigtest;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string binDir()
{
    const char* env = std::getenv("JVZ_BIN_DIR");
    return env && *env ? env : JVZ_TEST_BIN_DIR;
}

// Waits for the child at most the limit; kills it when it is still running. The exit status, -1 for a signal,
// -2 when it had to be killed.
int waitBounded(pid_t pid, std::chrono::milliseconds limit, int* signal = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(2ms);
    }
    if (signal)
        *signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the built program in folder with its standard output in a file.
int runProgram(const std::string& folder, const std::vector<std::string>& args, std::string& console)
{
    const std::string program = binDir() + "/Kelmdor";
    const std::string capture = jvztest::makeScratchDir("kelmdor-proc") + "/stdout.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(capture.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ::dup2(fd, 1);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    const int status = waitBounded(pid, 10s);
    console = jvztest::readFileBytes(capture);
    return status;
}

std::vector<std::string> names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

struct KelmdorFolder {
    KelmdorFolder()
    {
        jvztest::writeFileBytes(dir + "/APP.AGN", componentHeader({}) + signatureTrailer({}));
        std::string console;
        EXPECT_EQ(runProgram(dir, {"-m", "APP.AGN", "reference.txt"}, console), 0);
        report = jvztest::readFileBytes(dir + "/reference.txt");
        fs::remove(dir + "/reference.txt");
    }
    std::string dir = jvztest::makeScratchDir("kelmdor-special");
    std::string report;
};

} // namespace

TEST(KelmdorSpecialFiles, OutputsThroughALinkIntoAFifoOrADeviceNode)
{
    KelmdorFolder f;
    ASSERT_NE(f.report.find("Checked file : [APP.AGN]"), std::string::npos) << f.report;
    fs::create_symlink("target.txt", f.dir + "/link.txt");
    ASSERT_TRUE(jvztest::makeFifo(f.dir + "/pipe"));
    ASSERT_TRUE(jvztest::makeCharDevice(f.dir + "/null", jvztest::CharDevice::Null));
    fs::create_directory(f.dir + "/folder");
    std::string console;

    EXPECT_EQ(runProgram(f.dir, {"-m", "APP.AGN", "link.txt"}, console), 0) << console;
    EXPECT_TRUE(jvztest::isSymlinkTo(f.dir + "/link.txt", "target.txt"));
    EXPECT_EQ(jvztest::readFileBytes(f.dir + "/target.txt"), f.report);
    {
        jvztest::FifoReader reader(f.dir + "/pipe");
        EXPECT_EQ(runProgram(f.dir, {"-m", "APP.AGN", "pipe"}, console), 0) << console;
        EXPECT_EQ(reader.readAll(), f.report);
    }
    const struct {
        const char* name;
        const char* output;
        int exitCode;
    } rows[] = {
        {"FIFO without a reader: refused at once", "pipe", 5},
        {"device node", "null", 0},
        {"folder", "folder", 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(runProgram(f.dir, {"-m", "APP.AGN", r.output}, console), r.exitCode) << console;
    }
    EXPECT_TRUE(jvztest::isFifo(f.dir + "/pipe"));
    EXPECT_TRUE(jvztest::isCharDevice(f.dir + "/null"));
    EXPECT_TRUE(fs::is_directory(f.dir + "/folder"));
    EXPECT_EQ(names(f.dir), (std::vector<std::string>{"APP.AGN", "folder", "link.txt", "null", "pipe", "target.txt"}));
}

// The dumper's own way of telling a bad input: exit 0 with the "not open to read" line in the report.
TEST(KelmdorSpecialFiles, InputsThatNeverEndAreRefusedAtOnce)
{
    KelmdorFolder f;
    ASSERT_TRUE(jvztest::makeFifo(f.dir + "/pipe.sgn")); // no writer ever comes
    ASSERT_TRUE(jvztest::makeCharDevice(f.dir + "/zero.sgn", jvztest::CharDevice::Zero));
    fs::create_directory(f.dir + "/folder.sgn");
    for (const char* input : {"pipe.sgn", "zero.sgn", "folder.sgn"}) {
        SCOPED_TRACE(input);
        std::string console;
        EXPECT_EQ(runProgram(f.dir, {"-m", input, "out.txt"}, console), 0) << console;
        EXPECT_EQ(jvztest::readFileBytes(f.dir + "/out.txt"),
                  "\nKelmdor : v03.08\n\nError : " + std::string(input) + " not open to read\n");
    }
}

TEST(KelmdorSpecialFiles, OutputThatIsTheInputIsRefusedAndTheInputStaysWhole)
{
    KelmdorFolder f;
    const std::string original = jvztest::readFileBytes(f.dir + "/APP.AGN");
    fs::create_symlink("APP.AGN", f.dir + "/link.txt");
    for (const std::string& output :
         {std::string("APP.AGN"), std::string("./APP.AGN"), f.dir + "/APP.AGN", std::string("link.txt")}) {
        SCOPED_TRACE(output);
        std::string console;
        EXPECT_EQ(runProgram(f.dir, {"-m", "APP.AGN", output}, console), 5) << console;
        EXPECT_NE(console.find("is the input file"), std::string::npos) << console;
        EXPECT_EQ(jvztest::readFileBytes(f.dir + "/APP.AGN"), original);
    }
}

namespace {

// An input whose size is asked for first and never given: the run stays inside the dump, report file open.
class EndlessSource : public kelmdor::ByteSource {
public:
    int64_t size() const override
    {
        for (;;)
            ::pause();
    }
    size_t readAt(int64_t, uint8_t*, size_t) const override { return 0; }
};

class EndlessInputFileSystem : public kelmdor::PosixFileSystem {
public:
    std::unique_ptr<kelmdor::ByteSource> openInput(const std::string&) override
    {
        return std::make_unique<EndlessSource>();
    }
};

} // namespace

// Stopped while the report is being written, the program leaves neither a temporary file nor a report.
TEST(KelmdorSpecialFiles, StoppedBySignalLeavesNoTemporaryFile)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const std::string dir = jvztest::makeScratchDir("kelmdor-signal");
        jvztest::writeFileBytes(dir + "/IN.AGN", "x");
        const pid_t pid = ::fork();
        if (pid == 0) {
            EndlessInputFileSystem fs;
            std::ostringstream out, err;
            ::_exit(kelmdor::run({"-m", dir + "/IN.AGN", dir + "/report.txt"}, out, err, fs));
        }
        // The temporary report appears beside the target once the run is under way.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (names(dir).size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        ASSERT_EQ(names(dir).size(), 2u);
        ::kill(pid, signal);
        int got = 0;
        EXPECT_EQ(waitBounded(pid, 10s, &got), -1);
        EXPECT_EQ(got, signal);
        EXPECT_EQ(names(dir), std::vector<std::string>{"IN.AGN"});
    }
}
