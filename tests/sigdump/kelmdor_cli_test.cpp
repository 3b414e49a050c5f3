// The command line: options, file arguments, the usage text and the exit codes, in-process and as a process.
#include "KelmdorHarness.h"
#include "SignedFileBuilder.h"
#include "TestEnv.h"
#include "sigdump/Kelmdor.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace sigtest;

const std::string kBanner = "\nKelmdor : v03.08\n\n";
const std::string kUsage = "Kelmdor [-x] [-m] <InputFile>.xGN [<OutputFile>] \n"
                           "        [-x] more details for Morvix 2 (optional)\n"
                           "        [-m] for Mockup application (optional)\n";

std::string validInput()
{
    return writeInput("APP.AGN", componentHeader({}) + signatureTrailer({}));
}

TEST(KelmdorCommandLine, WrongArgumentsPrintTheUsage)
{
    const std::string in = validInput();
    const std::string folder = jvztest::makeScratchDir("usage");
    const std::string out = folder + "/out.txt";
    const std::vector<std::vector<std::string>> rows = {
        {},
        {"-x", "-m"},
        {in, out, folder + "/third"},
        {"-q", in, out}, // unknown letter, although a valid input follows
        {"-", in},       // no letter at all
        {"-M", in},      // letters are lower-case
    };
    for (const auto& args : rows) {
        std::ostringstream console, err;
        EXPECT_EQ(kelmdor::run(args, console, err), 0);
        EXPECT_EQ(console.str(), kBanner + kUsage) << args.size();
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
}

TEST(KelmdorCommandLine, OptionsCountByTheirSecondLetterInAnyOrder)
{
    const std::string in = validInput();
    const std::pair<std::vector<std::string>, bool> rows[] = {
        {{"-xyz", "-m"}, true}, {{"-m", "-x", "-x"}, true}, {{"-mx"}, false}, {{"-m", "-m"}, false}};
    for (const auto& [options, detail] : rows) {
        const RunResult r = dumpToFile(options, in);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.report.find("Repud.Keys") == std::string::npos, detail) << options[0];
        EXPECT_NE(r.report.find("01020304"), std::string::npos) << options[0];
    }
}

TEST(KelmdorCommandLine, WithoutOutputFileTheReportGoesToStandardOutput)
{
    const std::string in = writeInput("EMPTY.AGN", "");
    std::ostringstream console, err;
    EXPECT_EQ(kelmdor::run({in}, console, err), 0);
    EXPECT_EQ(console.str(), kBanner + "Checked file : [" + in + "]\n\n\n");
}

TEST(KelmdorCommandLine, UnreadableInputIsReportedWhereTheReportGoes)
{
    const std::string folder = jvztest::makeScratchDir("unreadable");
    const std::string missing = folder + "/missing.AGN";
    for (const std::string& input : {missing, folder}) { // a folder is not a file to dump
        std::ostringstream console, err;
        EXPECT_EQ(kelmdor::run({input}, console, err), 0);
        EXPECT_EQ(console.str(), kBanner + "Error : " + input + " not open to read\n");

        const RunResult r = dumpToFile({"-m"}, input);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.console, kBanner);
        EXPECT_EQ(r.report, kBanner + "Error : " + input + " not open to read\n");
    }
}

std::string binDir()
{
    const char* env = std::getenv("JVZ_BIN_DIR");
    return env && *env ? env : JVZ_TEST_BIN_DIR;
}

// Runs the built program with its standard output in a file; returns the exit status.
int runProgram(const std::vector<std::string>& args, std::string& console)
{
    const std::string program = binDir() + "/Kelmdor";
    const std::string capture = jvztest::makeScratchDir("proc") + "/stdout.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(capture.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ::dup2(fd, 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    console = jvztest::readFileBytes(capture);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KelmdorProgram, ExitCodesEndToEnd)
{
    const std::string in = validInput();
    const std::string folder = jvztest::makeScratchDir("proc-out");
    struct Row {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string consoleStart;
    };
    const Row rows[] = {
        {"report written", {"-m", in, folder + "/report.txt"}, 0, kBanner},
        {"usage", {"-q"}, 0, kBanner + kUsage},
        {"input missing", {"-m", folder + "/missing", folder + "/r2.txt"}, 0, kBanner},
        {"output folder missing", {"-m", in, folder + "/none/r.txt"}, 5, kBanner + "Error : "},
    };
    for (const Row& row : rows) {
        std::string console;
        EXPECT_EQ(runProgram(row.args, console), row.exitCode) << row.what;
        EXPECT_EQ(console.rfind(row.consoleStart, 0), 0u) << row.what << console;
    }
    EXPECT_EQ(jvztest::readFileBytes(folder + "/report.txt").rfind(reportHead(in), 0), 0u);
}

} // namespace
