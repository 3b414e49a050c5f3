// The converters read at most 16 MiB. A file at the ceiling is converted whole; one byte more is refused with
// a message that says so, not with the message for a file that cannot be found (it exists).
#include "ChildProcess.h"
#include "DiaBuilders.h"
#include "ReportCase.h"
#include "TestEnv.h"
#include "diagconv/Orbeck.h"
#include "diagconv/RunEnv.h"
#include "diagconv/Tulmane.h"
#include "diagconv/Vitrane.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace diagtest;
using namespace std::chrono_literals;

namespace {

struct LimitCase {
    const char* program;
    std::string (*fileAtLimit)();
    ReportWriter report;
    // What the program prints for the refused input "big.dia" run in folder.
    std::string (*refusal)(const std::string& folder);
    int status; // as the parent reads it
};

void PrintTo(const LimitCase& c, std::ostream* os)
{
    *os << c.program;
}

std::string recordsAtLimit()
{
    return appDefaultFileOfSize(diagconv::kMaxInputBytes);
}

// A whole diagnostic text, then filler up to the ceiling, which the analyser reads past.
std::string securityTextAtLimit()
{
    std::string text = SecurityDiag().build();
    text.resize(diagconv::kMaxInputBytes, '7');
    return text;
}

void securityUserReport(std::istream& in, std::ostream& out)
{
    diagconv::orbeck::writeSecurityReport(in, out, diagconv::orbeck::View::User);
}

const LimitCase kLimitCases[] = {
    {"Vitrane", &recordsAtLimit, &diagconv::vitrane::writeReport,
     [](const std::string&) {
         return std::string("\nAppDefault V01.01\n  Error : big.dia is larger than the 16 MiB limit\n");
     },
     1},
    {"Tulmane", &recordsAtLimit, &diagconv::tulmane::writeReport,
     [](const std::string&) {
         return std::string("\nAppCounter V01.01\n  Error : big.dia is larger than the 16 MiB limit\n");
     },
     1},
    {"Orbeck", &securityTextAtLimit, &securityUserReport,
     [](const std::string& folder) {
         return "\nTool Version: 01.03 \nerror : -2\n" + folder + "/big.dia is larger than the 16 MiB limit\n";
     },
     254},
};

std::string realFolder(const std::string& folder)
{
    char resolved[PATH_MAX];
    return realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
}

class InputLimitTest : public testing::TestWithParam<LimitCase> {
protected:
    void SetUp() override { m_dir = realFolder(jvztest::makeScratchDir(GetParam().program)); }

    // Runs the program on input, to output, in the scratch folder.
    void run(ChildProcess& child, const std::string& input, const std::string& output)
    {
        ASSERT_TRUE(child.start(binDir() + "/" + GetParam().program, {input, output}, m_dir));
        ASSERT_TRUE(child.waitForExit(60s)) << GetParam().program << " did not end";
    }

    std::string m_dir;
};

TEST_P(InputLimitTest, AtTheLimitConvertedWholeOneByteOverRefusedWithItsReason)
{
    std::string file = GetParam().fileAtLimit();
    ASSERT_EQ(file.size(), diagconv::kMaxInputBytes);
    ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/in.dia", file));
    ChildProcess atLimit;
    run(atLimit, "in.dia", "out.txt");
    EXPECT_EQ(atLimit.exitStatus(), 0) << atLimit.output();
    EXPECT_EQ(jvztest::readFileBytes(m_dir + "/out.txt"), reportOf(GetParam().report, file));

    file.push_back('\x01');
    ASSERT_TRUE(jvztest::writeFileBytes(m_dir + "/big.dia", file));
    ChildProcess over;
    run(over, "big.dia", "big.txt");
    EXPECT_EQ(over.exitStatus(), GetParam().status);
    EXPECT_EQ(over.output(), GetParam().refusal(m_dir));
    EXPECT_FALSE(jvztest::fileExists(m_dir + "/big.txt"));
}

INSTANTIATE_TEST_SUITE_P(Programs, InputLimitTest, testing::ValuesIn(kLimitCases),
                         [](const testing::TestParamInfo<LimitCase>& row) { return std::string(row.param.program); });

} // namespace
