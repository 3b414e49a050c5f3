#include "DiaBuilders.h"
#include "FakeOutput.h"
#include "TestEnv.h"
#include "diagconv/Orbeck.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace diagtest;
using Failure = diagtest::FakeOutput::Failure;

namespace {

const std::string kVersionLine = "\nTool Version: 01.03 \n";

class OrbeckCliTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = jvztest::makeScratchDir("orbeck");
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/VORBANE.DIA", SecurityDiag().build()));
    }

    int run(const std::vector<std::string>& arguments, Failure failure = Failure::None)
    {
        std::vector<std::string> args{"./Orbeck"};
        args.insert(args.end(), arguments.begin(), arguments.end());
        m_out.str("");
        return diagconv::orbeck::run(args, m_out, m_err, testEnv(m_dir, nullptr, failure));
    }

    // Field lines in a report: 27 in user view, 49 in full view.
    static std::size_t fieldLines(const std::string& report)
    {
        std::size_t count = 0;
        for (const auto& line : crlfLines(report))
            count += line.size() > 29 && line.compare(27, 2, ": ") == 0 ? 1 : 0;
        return count;
    }

    std::string m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

struct PositionCase {
    const char* what;
    std::vector<std::string> arguments; // "@" stands for the scratch folder
    const char* output;                 // where the report lands, "@" as above
    const char* shown;                  // the path the closing line names
    std::size_t fields;
};

std::string expand(const std::string& text, const std::string& dir)
{
    return text.empty() || text[0] != '@' ? text : dir + text.substr(1);
}

TEST_F(OrbeckCliTest, ArgumentPositions)
{
    const PositionCase cases[] = {
        {"input only: default output, user view", {"VORBANE.DIA"}, "@/vorbaneA.dia", "@/vorbaneA.dia", 27},
        {"option second keeps the default output", {"VORBANE.DIA", "/wk&"}, "@/vorbaneA.dia", "@/vorbaneA.dia", 49},
        {"output second", {"VORBANE.DIA", "out.txt"}, "@/out.txt", "out.txt", 27},
        {"output then option", {"VORBANE.DIA", "out.txt", "/wk&"}, "@/out.txt", "out.txt", 49},
        {"third option replaces the second", {"VORBANE.DIA", "/wk&", "/other"}, "@/vorbaneA.dia", "@/vorbaneA.dia", 27},
        {"third without slash ignored", {"VORBANE.DIA", "/wk&", "ignored.txt"}, "@/vorbaneA.dia", "@/vorbaneA.dia", 49},
        {"absolute output second", {"@/VORBANE.DIA", "@/abs/out.dia"}, "@/abs/out.dia", "@/abs/out.dia", 27},
        {"absolute output then option",
         {"@/VORBANE.DIA", "@/abs/out.dia", "/wk&"},
         "@/abs/out.dia",
         "@/abs/out.dia",
         49},
        {"absolute third is a path, so ignored",
         {"VORBANE.DIA", "/wk&", "@/abs/third.dia"},
         "@/vorbaneA.dia",
         "@/vorbaneA.dia",
         49},
        {"a root file name reads as an option", {"VORBANE.DIA", "/out.dia"}, "@/vorbaneA.dia", "@/vorbaneA.dia", 27},
    };
    std::filesystem::create_directories(m_dir + "/abs");
    for (const auto& c : cases) {
        std::vector<std::string> arguments;
        for (const auto& a : c.arguments)
            arguments.push_back(expand(a, m_dir));
        const std::string output = expand(c.output, m_dir);
        std::filesystem::remove(output);
        EXPECT_EQ(run(arguments), 0) << c.what;
        const std::string shown = expand(c.shown, m_dir);
        EXPECT_EQ(m_out.str(), kVersionLine + "the Analyzed diagnostic file is stored in : " + shown + "\n") << c.what;
        EXPECT_EQ(fieldLines(jvztest::readFileBytes(output)), c.fields) << c.what;
        EXPECT_FALSE(jvztest::fileExists(m_dir + "/abs/third.dia")) << c.what;
    }
    EXPECT_FALSE(jvztest::fileExists("/out.dia"));
}

TEST_F(OrbeckCliTest, WrongArgumentCount)
{
    const std::string syntax = kVersionLine +
                               "syntax : ./Orbeck <path + diagnostic file name> [<path + destination file name>] "
                               "[option]\n-1\n";
    EXPECT_EQ(run({}), -1);
    EXPECT_EQ(m_out.str(), syntax);
    EXPECT_EQ(run({"VORBANE.DIA", "a", "b", "c"}), -1);
    EXPECT_EQ(m_out.str(), syntax);
    EXPECT_FALSE(jvztest::fileExists(m_dir + "/vorbaneA.dia"));
}

TEST_F(OrbeckCliTest, InputNotFoundNamesTheCurrentFolder)
{
    std::filesystem::create_directories(m_dir + "/folder");
    for (const std::string input : {"missing.dia", "folder"}) {
        EXPECT_EQ(run({input}), -2);
        EXPECT_EQ(m_out.str(), kVersionLine + "error : -2\n" + m_dir + "/" + input + " file not found\n");
    }
    EXPECT_FALSE(jvztest::fileExists(m_dir + "/vorbaneA.dia"));
}

TEST_F(OrbeckCliTest, OutputCannotBeWritten)
{
    struct Case {
        std::string output;
        Failure failure;
    };
    const Case cases[] = {
        {"nofolder/out.dia", Failure::None},
        {m_dir, Failure::None},
        {"out.dia", Failure::Open},
        {"out.dia", Failure::Commit},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run({"VORBANE.DIA", c.output}, c.failure), -3) << c.output;
        EXPECT_EQ(m_out.str(), kVersionLine + "error : -3\nImpossible to write in " + c.output + " \n");
        EXPECT_FALSE(jvztest::fileExists(m_dir + "/out.dia"));
    }
}

TEST_F(OrbeckCliTest, OutputPathsLongerThan255AreRefused)
{
    const std::string longName = std::string(251, 'n') + ".dia"; // 255 characters: accepted
    EXPECT_EQ(run({"VORBANE.DIA", m_dir + "/" + longName}), -3);
    EXPECT_EQ(run({"VORBANE.DIA", longName}), 0);
    EXPECT_TRUE(jvztest::fileExists(m_dir + "/" + longName));
    const std::string tooLong = std::string(252, 'n') + ".dia";
    EXPECT_EQ(run({"VORBANE.DIA", tooLong}), -3);
    EXPECT_EQ(m_out.str(),
              kVersionLine + "error : -3\nImpossible to write in " + tooLong + " (path longer than 255 characters) \n");
}

TEST_F(OrbeckCliTest, ExistingOutputReplacedWhole)
{
    ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/vorbaneA.dia", std::string(100000, '#')));
    EXPECT_EQ(run({"VORBANE.DIA"}), 0);
    const std::string text = jvztest::readFileBytes(m_dir + "/vorbaneA.dia");
    EXPECT_EQ(text.find('#'), std::string::npos);
    EXPECT_EQ(fieldLines(text), 27u);
}

} // namespace
