#include "DiaBuilders.h"
#include "ReportCase.h"
#include "diagconv/Vitrane.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace diagtest;

namespace {

std::string report(const std::string& file)
{
    return reportOf(&diagconv::vitrane::writeReport, file);
}

const std::string kHeading = "AppDefault V01.01\n\nDate : 23/05/17 14h 42min\n\n Date            Critical  Default\n";

const ReportCase kReportCases[] = {
    {"header only", stamp(0x17, 0x05, 0x11, 0x0E, 0x2A), kHeading},
    {"example record critical",
     stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(0x17, 0x05, 0x11, 0x0E, 0x2A), 1, 0x1234),
     kHeading + " 23/05/17 14:42  yes       1234\n"},
    {"not critical keeps its trailing blank, code in lower case",
     stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(1, 2, 3, 4, 5), 0, 0xABCD),
     kHeading + " 01/02/03 04:05  no        abcd\n"},
    {"any non-zero flag is critical, small code padded",
     stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(1, 2, 3, 4, 5), 0x80, 0x000F),
     kHeading + " 01/02/03 04:05  yes       000f\n"},
    {"records in file order, trailing piece ignored",
     stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(9, 9, 9, 9, 9), 0, 2) +
         appDefaultRecord(stamp(8, 8, 8, 8, 8), 1, 1) + bytes({1, 2, 3, 4, 5, 6, 7}),
     kHeading + " 09/09/09 09:09  no        0002\n 08/08/08 08:08  yes       0001\n"},
    {"unsigned bytes: 255 in the record's minutes kept whole",
     stamp(0x17, 0x05, 0x11, 0x0E, 0x2A) + appDefaultRecord(stamp(200, 5, 17, 14, 255), 1, 0xFFFF),
     kHeading + " 20/05/17 14:255  yes       ffff\n"},
    {"empty file: header reads as zeros", "",
     "AppDefault V01.01\n\nDate : 00/00/00 00h 00min\n\n Date            Critical  Default\n"},
    {"file shorter than its header: missing bytes read 0", bytes({0x17, 0x05}),
     "AppDefault V01.01\n\nDate : 23/05/00 00h 00min\n\n Date            Critical  Default\n"},
};

class VitraneReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(VitraneReportTest, MatchesGolden)
{
    EXPECT_EQ(report(GetParam().file), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Cases, VitraneReportTest, testing::ValuesIn(kReportCases),
                         [](const testing::TestParamInfo<ReportCase>& row) {
                             return diagtest::testName(row.param.what);
                         });

TEST(VitraneReport, ManyRecordsAllListed)
{
    std::string file = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A);
    for (int i = 0; i < 1000; ++i)
        file += appDefaultRecord(stamp(1, 1, 1, 1, 1), 0, static_cast<std::uint16_t>(i));
    const std::string text = report(file);
    EXPECT_NE(text.find(" 01/01/01 01:01  no        03e7\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 + 1000);
}

} // namespace
