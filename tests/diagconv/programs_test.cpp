// The built programs run as real processes: exit codes as a parent reads them, standard input from
// /dev/null or a pseudo-terminal, a scratch working folder.
#include "ChildProcess.h"
#include "DiaBuilders.h"
#include "TestEnv.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace diagtest;
using namespace std::chrono_literals;

namespace {

struct ProgramCase {
    const char* what;
    const char* program;
    std::vector<std::string> args;
    int status;               // as the parent reads it
    const char* outputPrefix; // start of what the program prints
    const char* createdFile;  // expected in the working folder, or empty
};

class ProgramsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = jvztest::makeScratchDir("programs");
        const std::string dia = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(1, 2, 3, 4, 5), 1, 0x1234);
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/APPDEFAULT.DIA", dia));
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/VORBANE.DIA", SecurityDiag().build()));
    }

    std::string m_dir;
};

TEST_F(ProgramsTest, ExitCodesEndToEnd)
{
    const ProgramCase cases[] = {
        {"no argument", "Vitrane", {}, 6, "\nAppDefault V01.01\nVitrane  <OpenFile.dia>", ""},
        {"missing input", "Vitrane", {"nope.dia", "out.txt"}, 1, "\nAppDefault V01.01\n  Error : nope.dia", ""},
        {"bad output", "Vitrane", {"APPDEFAULT.DIA", "no/out.txt"}, 2, "\nAppDefault V01.01\n  Error : no/out", ""},
        {"file output", "Vitrane", {"APPDEFAULT.DIA", "out.txt"}, 0, "", "out.txt"},
        {"console output, stdin /dev/null",
         "Vitrane",
         {"APPDEFAULT.DIA"},
         0,
         "AppDefault V01.01\n\nDate : 23/05/17",
         ""},
        {"no argument", "Tulmane", {}, 6, "\nAppCounter V01.01\nTulmane  <OpenFile.dia>", ""},
        {"missing input", "Tulmane", {"nope.dia"}, 1, "\nAppCounter V01.01\n  Error : nope.dia", ""},
        {"bad output", "Tulmane", {"APPDEFAULT.DIA", "no/out.txt"}, 2, "\nAppCounter V01.01\n  Error : no/out", ""},
        {"file output", "Tulmane", {"APPDEFAULT.DIA", "count.txt"}, 0, "", "count.txt"},
        {"console output, stdin /dev/null",
         "Tulmane",
         {"APPDEFAULT.DIA"},
         0,
         "AppCounter V01.01\n\nDate : 23/05/17",
         ""},
        {"no argument: -1", "Orbeck", {}, 255, "\nTool Version: 01.03 \nsyntax : ", ""},
        {"four arguments: -1", "Orbeck", {"a", "b", "c", "d"}, 255, "\nTool Version: 01.03 \nsyntax : ", ""},
        {"missing input: -2", "Orbeck", {"nope.dia"}, 254, "\nTool Version: 01.03 \nerror : -2\n", ""},
        {"bad output: -3", "Orbeck", {"VORBANE.DIA", "no/out.dia"}, 253, "\nTool Version: 01.03 \nerror : -3\n", ""},
        {"default output in the working folder",
         "Orbeck",
         {"VORBANE.DIA", "/wk&"},
         0,
         "\nTool Version: 01.03 \nthe Analyzed diagnostic file is stored in : ",
         "vorbaneA.dia"},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(binDir() + "/" + c.program, c.args, m_dir)) << c.what;
        ASSERT_TRUE(child.waitForExit(20s)) << c.program << ": " << c.what << " did not end";
        EXPECT_EQ(child.exitStatus(), c.status) << c.program << ": " << c.what;
        EXPECT_EQ(child.output().rfind(c.outputPrefix, 0), 0u) << c.program << ": " << c.what << "\n" << child.output();
        if (*c.createdFile) {
            EXPECT_TRUE(jvztest::fileExists(m_dir + "/" + c.createdFile)) << c.what;
            std::remove((m_dir + "/" + c.createdFile).c_str());
        }
    }
}

TEST_F(ProgramsTest, OrbeckSyntaxNamesTheProgramAsTyped)
{
    ChildProcess child;
    ASSERT_TRUE(child.start(binDir() + "/Orbeck", {}, m_dir));
    ASSERT_TRUE(child.waitForExit(20s));
    EXPECT_EQ(child.output(), "\nTool Version: 01.03 \nsyntax : " + binDir() +
                                  "/Orbeck <path + diagnostic file name> [<path + destination file name>] [option]\n"
                                  "-1\n");
}

// A pseudo-terminal: no device of the machine, but a terminal to the program.
struct Pty {
    int master = -1;
    int slave = -1;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~Pty()
    {
        if (slave >= 0)
            close(slave);
        if (master >= 0)
            close(master);
    }
    bool echoOn() const
    {
        termios mode{};
        return tcgetattr(slave, &mode) == 0 && (mode.c_lflag & ECHO) != 0;
    }
};

// Waits, bounded, until the terminal's mode says what is asked.
bool waitForEcho(const Pty& pty, bool on, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pty.echoOn() != on) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST_F(ProgramsTest, ConsoleModeOnATerminalWaitsForOneKeyWithoutEcho)
{
    for (const char* program : {"Vitrane", "Tulmane"}) {
        Pty pty;
        ASSERT_GE(pty.slave, 0);
        ASSERT_TRUE(pty.echoOn());
        ChildProcess child;
        ASSERT_TRUE(child.start(binDir() + "/" + program, {"APPDEFAULT.DIA"}, m_dir, pty.slave));
        // The report comes first, then the program turns echo off and waits.
        ASSERT_TRUE(
            child.readUntil([](const std::string& out) { return out.find("\n", 30) != std::string::npos; }, 20s));
        ASSERT_TRUE(waitForEcho(pty, false, 20s)) << program << " never switched echo off";
        ASSERT_EQ(write(pty.master, "k", 1), 1);
        ASSERT_TRUE(child.waitForExit(20s)) << program << " did not end on a key press";
        EXPECT_EQ(child.exitStatus(), 0);
        EXPECT_TRUE(pty.echoOn()) << program << " left echo off";
        // Nothing came back on the terminal: the key was not echoed.
        const int flags = fcntl(pty.master, F_GETFL);
        fcntl(pty.master, F_SETFL, flags | O_NONBLOCK);
        char echoed[8];
        EXPECT_LT(read(pty.master, echoed, sizeof echoed), 1) << program;
    }
}

} // namespace
