// Files that are not plain files, given to the built converters as real processes: outputs through a link, into
// a FIFO or a device node (all kept), inputs that would never end (refused at once with the program's own
// code), and an output that is the input itself.
#include "ChildProcess.h"
#include "DiaBuilders.h"
#include "SpecialFiles.h"
#include "TestEnv.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace diagtest;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Converter {
    const char* program;
    const char* input; // its diagnostic file in the scratch folder
    int inputError;    // exit status as the parent reads it
    int outputError;
};

const Converter kConverters[] = {
    {"Vitrane", "APPDEFAULT.DIA", 1, 2},
    {"Tulmane", "APPDEFAULT.DIA", 1, 2},
    {"Orbeck", "VORBANE.DIA", 254, 253},
};

class SpecialFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = jvztest::makeScratchDir("special");
        const std::string dia = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(1, 2, 3, 4, 5), 1, 0x1234);
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/APPDEFAULT.DIA", dia));
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/VORBANE.DIA", SecurityDiag().build()));
    }

    // Runs the program to its end (bounded); returns its exit status, or -2 when it did not end.
    int run(const Converter& c, const std::vector<std::string>& args)
    {
        ChildProcess child;
        if (!child.start(binDir() + "/" + c.program, args, m_dir))
            return -3;
        if (!child.waitForExit(10s))
            return -2;
        m_output = child.output();
        return child.exitStatus();
    }

    // What the program writes for its input to a plain file.
    std::string reference(const Converter& c)
    {
        const std::string out = std::string(c.program) + "-reference.txt";
        EXPECT_EQ(run(c, {c.input, out}), 0) << m_output;
        const std::string text = jvztest::readFileBytes(m_dir + "/" + out);
        fs::remove(m_dir + "/" + out);
        return text;
    }

    std::string m_dir;
    std::string m_output;
};

TEST_F(SpecialFilesTest, OutputsThroughALinkIntoAFifoOrADeviceNode)
{
    for (const Converter& c : kConverters) {
        SCOPED_TRACE(c.program);
        const std::string report = reference(c);
        ASSERT_FALSE(report.empty());
        fs::create_symlink("target.txt", m_dir + "/link.txt");
        ASSERT_TRUE(jvztest::makeFifo(m_dir + "/pipe"));
        ASSERT_TRUE(jvztest::makeCharDevice(m_dir + "/null", jvztest::CharDevice::Null));
        fs::create_directory(m_dir + "/folder");

        EXPECT_EQ(run(c, {c.input, "link.txt"}), 0) << m_output;
        EXPECT_TRUE(jvztest::isSymlinkTo(m_dir + "/link.txt", "target.txt"));
        EXPECT_EQ(jvztest::readFileBytes(m_dir + "/target.txt"), report);
        {
            jvztest::FifoReader reader(m_dir + "/pipe");
            EXPECT_EQ(run(c, {c.input, "pipe"}), 0) << m_output;
            EXPECT_EQ(reader.readAll(), report);
        }
        EXPECT_TRUE(jvztest::isFifo(m_dir + "/pipe"));
        // No reader: refused at once rather than waiting for one.
        EXPECT_EQ(run(c, {c.input, "pipe"}), c.outputError) << m_output;
        EXPECT_EQ(run(c, {c.input, "null"}), 0) << m_output;
        EXPECT_TRUE(jvztest::isCharDevice(m_dir + "/null"));
        EXPECT_EQ(run(c, {c.input, "folder"}), c.outputError) << m_output;
        EXPECT_TRUE(fs::is_directory(m_dir + "/folder"));

        // Nothing else was made: no temporary left behind.
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"APPDEFAULT.DIA", "VORBANE.DIA", "folder", "link.txt", "null",
                                                   "pipe", "target.txt"}));
        for (const char* name : {"link.txt", "target.txt", "pipe", "null"})
            fs::remove(m_dir + "/" + name);
        fs::remove(m_dir + "/folder");
    }
}

TEST_F(SpecialFilesTest, InputsThatNeverEndAreRefusedAtOnce)
{
    ASSERT_TRUE(jvztest::makeFifo(m_dir + "/pipe.dia")); // no writer ever comes
    ASSERT_TRUE(jvztest::makeCharDevice(m_dir + "/zero.dia", jvztest::CharDevice::Zero));
    fs::create_directory(m_dir + "/folder.dia");
    for (const Converter& c : kConverters) {
        for (const char* input : {"pipe.dia", "zero.dia", "folder.dia"}) {
            SCOPED_TRACE(std::string(c.program) + " " + input);
            EXPECT_EQ(run(c, {input, "out.txt"}), c.inputError) << m_output;
            EXPECT_FALSE(jvztest::fileExists(m_dir + "/out.txt"));
        }
    }
}

TEST_F(SpecialFilesTest, OutputThatIsTheInputIsRefusedAndTheInputStaysWhole)
{
    fs::create_symlink("VORBANE.DIA", m_dir + "/vorbane-link.txt");
    fs::create_symlink("APPDEFAULT.DIA", m_dir + "/appdefault-link.txt");
    for (const Converter& c : kConverters) {
        const std::string original = jvztest::readFileBytes(m_dir + "/" + c.input);
        const std::string link = std::string(c.input) == "VORBANE.DIA" ? "vorbane-link.txt" : "appdefault-link.txt";
        for (const std::string& output :
             {std::string(c.input), "./" + std::string(c.input), m_dir + "/" + c.input, link}) {
            SCOPED_TRACE(std::string(c.program) + " -> " + output);
            EXPECT_EQ(run(c, {c.input, output}), c.outputError) << m_output;
            EXPECT_EQ(jvztest::readFileBytes(m_dir + "/" + c.input), original);
        }
    }
}

} // namespace
