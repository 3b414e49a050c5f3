#include "DiaBuilders.h"
#include "diagconv/DiaDate.h"

#include <gtest/gtest.h>

using diagconv::ByteSign;
using diagconv::DiaTimestamp;

namespace {

struct DateCase {
    const char* what;
    DiaTimestamp stamp;
    ByteSign sign;
    const char* header;
    const char* record;
};

void PrintTo(const DateCase& c, std::ostream* os)
{
    *os << c.what;
}

// Pieces are laid at fixed positions, each over the end of the one before: a three-character number loses
// its last character, except in the last piece.
const DateCase kDateCases[] = {
    {"example 17 05 11 0E 2A",
     {0x17, 0x05, 0x11, 0x0E, 0x2A},
     ByteSign::Unsigned,
     "23/05/17 14h 42min\n",
     "23/05/17 14:42"},
    {"single digits padded", {1, 2, 3, 4, 5}, ByteSign::Unsigned, "01/02/03 04h 05min\n", "01/02/03 04:05"},
    {"all zero", {0, 0, 0, 0, 0}, ByteSign::Unsigned, "00/00/00 00h 00min\n", "00/00/00 00:00"},
    {"first number 200 cut", {200, 5, 17, 14, 42}, ByteSign::Unsigned, "20/05/17 14h 42min\n", "20/05/17 14:42"},
    {"middle number 123 cut", {23, 123, 17, 14, 42}, ByteSign::Unsigned, "23/12/17 14h 42min\n", "23/12/17 14:42"},
    {"third number 255 loses to the hours",
     {23, 5, 255, 14, 42},
     ByteSign::Unsigned,
     "23/05/25 14h 42min\n",
     "23/05/25 14:42"},
    {"hours 100 lose their h", {23, 5, 17, 100, 42}, ByteSign::Unsigned, "23/05/17 100 42min\n", "23/05/17 10042"},
    {"minutes 255 kept whole", {23, 5, 17, 14, 255}, ByteSign::Unsigned, "23/05/17 14h 255min\n", "23/05/17 14:255"},
    {"signed bytes -1", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ByteSign::Signed, "-1/-1/-1 -1h -1min\n", "-1/-1/-1 -1:-1"},
    // Longer than the 20 characters the header text once had room for.
    {"signed minimum everywhere",
     {0x80, 0x80, 0x80, 0x80, 0x80},
     ByteSign::Signed,
     "-1/-1/-1 -12 -128min\n",
     "-1/-1/-1 -12-128"},
    {"signed below 128 unchanged",
     {0x17, 0x05, 0x11, 0x0E, 0x2A},
     ByteSign::Signed,
     "23/05/17 14h 42min\n",
     "23/05/17 14:42"},
    {"unsigned 128 is 128", {0x80, 5, 17, 14, 0x80}, ByteSign::Unsigned, "12/05/17 14h 128min\n", "12/05/17 14:128"},
};

class DiaDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(DiaDateTest, HeaderAndRecordForms)
{
    const DateCase& c = GetParam();
    EXPECT_EQ(diagconv::headerDateText(c.stamp, c.sign), c.header) << c.what;
    EXPECT_EQ(diagconv::recordDateText(c.stamp, c.sign), c.record) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, DiaDateTest, testing::ValuesIn(kDateCases),
                         [](const testing::TestParamInfo<DateCase>& row) {
                             return diagtest::testName(row.param.what);
                         });

} // namespace
