#include "DiaBuilders.h"
#include "FakeOutput.h"
#include "TestEnv.h"
#include "diagconv/Tulmane.h"
#include "diagconv/Vitrane.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace diagtest;
using Failure = diagtest::FakeOutput::Failure;

namespace {

using RunFn = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&, const diagconv::RunEnv&);
using ReportFn = void (*)(std::istream&, std::ostream&);

struct Program {
    const char* name;
    const char* banner;
    RunFn run;
    ReportFn report;
};

const Program kPrograms[] = {
    {"Vitrane", "\nAppDefault V01.01\n", &diagconv::vitrane::run, &diagconv::vitrane::writeReport},
    {"Tulmane", "\nAppCounter V01.01\n", &diagconv::tulmane::run, &diagconv::tulmane::writeReport},
};

const std::string kFile = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appCounterRecord(2, 5) + appCounterRecord(1, 6);

class RecordCliTest : public testing::TestWithParam<Program> {
protected:
    void SetUp() override
    {
        m_dir = jvztest::makeScratchDir(GetParam().name);
        ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/in.dia", kFile));
    }

    int run(const std::vector<std::string>& arguments, Failure failure = Failure::None)
    {
        std::vector<std::string> args{GetParam().name};
        args.insert(args.end(), arguments.begin(), arguments.end());
        m_out.str("");
        return GetParam().run(args, m_out, m_err, testEnv(m_dir, &m_keys, failure));
    }

    std::string expectedReport() const
    {
        std::istringstream in(kFile);
        std::ostringstream out;
        GetParam().report(in, out);
        return out.str();
    }

    std::string m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
    int m_keys = 0;
};

TEST_P(RecordCliTest, NoArgumentShowsBannerAndUsage)
{
    EXPECT_EQ(run({}), 6);
    EXPECT_EQ(m_out.str(), std::string(GetParam().banner) + GetParam().name + "  <OpenFile.dia> [outputfile.txt]");
    EXPECT_EQ(m_keys, 0);
}

TEST_P(RecordCliTest, InputMissingOrFolder)
{
    for (const std::string input : {"missing.dia", "sub", ""}) {
        std::filesystem::create_directories(m_dir + "/sub");
        EXPECT_EQ(run({input, "out.txt"}), 1) << input;
        EXPECT_EQ(m_out.str(), GetParam().banner + ("  Error : " + input + " impossible to open or to find\n"));
        EXPECT_FALSE(jvztest::fileExists(m_dir + "/out.txt"));
    }
}

TEST_P(RecordCliTest, OutputCannotBeOpened)
{
    std::filesystem::create_directories(m_dir + "/afolder");
    for (const std::string output : {"nofolder/out.txt", "afolder", ""}) {
        EXPECT_EQ(run({"in.dia", output}), 2) << output;
        EXPECT_EQ(m_out.str(), GetParam().banner + ("  Error : " + output + " impossible to open\n"));
    }
}

TEST_P(RecordCliTest, InjectedWriteFailures)
{
    for (const Failure failure : {Failure::Open, Failure::Commit}) {
        EXPECT_EQ(run({"in.dia", "out.txt"}, failure), 2);
        EXPECT_EQ(m_out.str(), GetParam().banner + std::string("  Error : out.txt impossible to open\n"));
    }
}

TEST_P(RecordCliTest, OutputFileReplacedWholeAndExtraArgumentsIgnored)
{
    ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/out.txt", std::string(10000, 'x')));
    EXPECT_EQ(run({"in.dia", "out.txt", "extra", "/more"}), 0);
    EXPECT_EQ(m_out.str(), "");
    EXPECT_EQ(jvztest::readFileBytes(m_dir + "/out.txt"), expectedReport());
    EXPECT_EQ(m_keys, 0);
    // No temporary left beside the report.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()), 2);
}

TEST_P(RecordCliTest, AbsoluteOutputPath)
{
    const std::string other = jvztest::makeScratchDir("other");
    EXPECT_EQ(run({m_dir + "/in.dia", other + "/report.txt"}), 0);
    EXPECT_EQ(jvztest::readFileBytes(other + "/report.txt"), expectedReport());
}

TEST_P(RecordCliTest, ConsoleModeWritesReportThenWaitsForAKey)
{
    std::string seenAtKey;
    diagconv::RunEnv env = testEnv(m_dir);
    env.waitForKey = [&] {
        ++m_keys;
        seenAtKey = m_out.str();
    };
    EXPECT_EQ(GetParam().run({GetParam().name, "in.dia"}, m_out, m_err, env), 0);
    EXPECT_EQ(m_keys, 1);
    EXPECT_EQ(seenAtKey, expectedReport());
    EXPECT_EQ(m_out.str(), expectedReport());
}

// The report never replaces the file it reports on, however the output names it.
TEST_P(RecordCliTest, OutputThatIsTheInputIsRefusedAndTheInputStaysWhole)
{
    std::filesystem::create_symlink(m_dir + "/in.dia", m_dir + "/link.txt");
    for (const char* output : {"in.dia", "./in.dia", "link.txt"}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(run({"in.dia", output}), 2);
        EXPECT_NE(m_out.str().find("is the input file"), std::string::npos) << m_out.str();
        EXPECT_EQ(jvztest::readFileBytes(m_dir + "/in.dia"), kFile);
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, RecordCliTest, testing::ValuesIn(kPrograms),
                         [](const testing::TestParamInfo<Program>& row) { return std::string(row.param.name); });

} // namespace
