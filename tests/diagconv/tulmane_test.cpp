#include "DiaBuilders.h"
#include "ReportCase.h"
#include "diagconv/Tulmane.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace diagtest;

namespace {

std::string report(const std::string& file)
{
    return reportOf(&diagconv::tulmane::writeReport, file);
}

const std::string kHeader = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A);
const std::string kHeading = "AppCounter V01.01\n\nDate : 23/05/17 14h 42min\n\nCounters [number:value]\n";

std::string counters(int count, int firstNumber = 1)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += appCounterRecord(static_cast<std::uint16_t>(firstNumber + i), static_cast<std::uint32_t>(10 * (i + 1)));
    return out;
}

const ReportCase kReportCases[] = {
    {"header only: headings and no counter line", kHeader, kHeading},
    {"equal numbers stay in reading order after the smaller",
     kHeader + appCounterRecord(5, 111) + appCounterRecord(2, 222) + appCounterRecord(5, 333),
     kHeading + "    0002:  222    0005:  111    0005:  333\n"},
    {"exactly four: one full line, no remainder", kHeader + counters(4),
     kHeading + "    0001:   10    0002:   20    0003:   30    0004:   40\n"},
    {"five: a full line and one entry", kHeader + counters(5),
     kHeading + "    0001:   10    0002:   20    0003:   30    0004:   40\n    0005:   50\n"},
    {"six and seven leave two and three", kHeader + counters(7),
     kHeading +
         "    0001:   10    0002:   20    0003:   30    0004:   40\n    0005:   50    0006:   60    0007:   70\n"},
    {"upper-case number, wide value, unused bytes ignored",
     kHeader + appCounterRecord(0xABCD, 4294967295u, 0xFFFF) + appCounterRecord(0x00ff, 123456),
     kHeading + "    00FF:123456    ABCD:4294967295\n"},
    {"trailing piece of a record ignored", kHeader + appCounterRecord(3, 7) + bytes({9, 0, 0, 0, 1}),
     kHeading + "    0003:    7\n"},
    {"header bytes are signed", stamp(0xFF, 0x05, 0x11, 0x0E, 0x80),
     "AppCounter V01.01\n\nDate : -1/05/17 14h -128min\n\nCounters [number:value]\n"},
    {"file shorter than its header: missing bytes read 0", bytes({0x17}),
     "AppCounter V01.01\n\nDate : 23/00/00 00h 00min\n\nCounters [number:value]\n"},
};

class TulmaneReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(TulmaneReportTest, MatchesGolden)
{
    EXPECT_EQ(report(GetParam().file), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Cases, TulmaneReportTest, testing::ValuesIn(kReportCases),
                         [](const testing::TestParamInfo<ReportCase>& row) {
                             return diagtest::testName(row.param.what);
                         });

TEST(TulmaneReport, OnlyTheFirst128RecordsAreTaken)
{
    // Records 129 and 130 carry number 0, which would sort first if they were taken.
    const std::string file = kHeader + counters(128, 1) + appCounterRecord(0, 1) + appCounterRecord(0, 2);
    const std::string text = report(file);
    EXPECT_EQ(text.find("    0000:"), std::string::npos);
    EXPECT_NE(text.find("    0001:   10"), std::string::npos);
    EXPECT_NE(text.find("    0080: 1280\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), ':'), 2 + 128); // "Date :", the heading, one per counter
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 + 32);
}

TEST(TulmaneCounterTable, RefusesPastCapacity)
{
    diagconv::tulmane::CounterTable table;
    for (std::size_t i = 0; i < diagconv::tulmane::CounterTable::kCapacity; ++i)
        ASSERT_TRUE(table.insert({static_cast<std::uint16_t>(500 - i), 1}));
    EXPECT_FALSE(table.insert({0, 1}));
    ASSERT_EQ(table.counters().size(), 128u);
    EXPECT_EQ(table.counters().front().number, 500 - 127);
    EXPECT_EQ(table.counters().back().number, 500);
}

} // namespace
