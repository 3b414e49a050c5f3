#include "core/VbNumber.h"

#include <QString>
#include <gtest/gtest.h>

using namespace jvz;

TEST(VbNumberReader, LeadingNumberRoundedHalfToEven)
{
    struct Case {
        const char16_t* text;
        VbNumberStatus status;
        int32_t value;
    };
    const Case cases[] = {
        {u"2000", VbNumberStatus::Ok, 2000},
        {u"-5", VbNumberStatus::Ok, -5},
        {u"+7", VbNumberStatus::Ok, 7},
        {u"  42", VbNumberStatus::Ok, 42},
        {u"12abc", VbNumberStatus::Ok, 12},
        {u"abc", VbNumberStatus::NoNumber, 0},
        {u"", VbNumberStatus::NoNumber, 0},
        {u"-", VbNumberStatus::NoNumber, 0},
        {u".", VbNumberStatus::NoNumber, 0},
        {u"0.5", VbNumberStatus::Ok, 0},
        {u".5", VbNumberStatus::Ok, 0},
        {u"1.5", VbNumberStatus::Ok, 2},
        {u"2.5", VbNumberStatus::Ok, 2},
        {u"3.5", VbNumberStatus::Ok, 4},
        {u"2.50001", VbNumberStatus::Ok, 3},
        {u"2.49999", VbNumberStatus::Ok, 2},
        {u"-2.5", VbNumberStatus::Ok, -2},
        {u"-3.5", VbNumberStatus::Ok, -4},
        {u"-0.4", VbNumberStatus::Ok, 0},
        {u"7.", VbNumberStatus::Ok, 7},
        {u"&H10", VbNumberStatus::NoNumber, 0},
        {u"0x10", VbNumberStatus::Ok, 0},
        {u"1e3", VbNumberStatus::Ok, 1},
        {u"2147483647", VbNumberStatus::Ok, 2147483647},
        {u"-2147483648", VbNumberStatus::Ok, INT32_MIN},
        {u"-2147483648.5", VbNumberStatus::Ok, INT32_MIN},
        {u"2147483647.5", VbNumberStatus::OutOfRange, 0},
        {u"2147483648", VbNumberStatus::OutOfRange, 0},
        {u"-2147483649", VbNumberStatus::OutOfRange, 0},
        {u"99999999999999999999999999", VbNumberStatus::OutOfRange, 0},
        {u"000000000000000000000012", VbNumberStatus::Ok, 12},
    };
    for (const Case& c : cases) {
        const VbInteger r = readVbInteger(QStringView(c.text));
        const std::string label = QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(r.status, c.status) << label;
        EXPECT_EQ(r.value, c.value) << label;
    }
}

TEST(VbNumberReader, FallbackOnlyWhenNotANumberInRange)
{
    EXPECT_EQ(vbIntegerOr(u"15", 9), 15);
    EXPECT_EQ(vbIntegerOr(u"x", 9), 9);
    EXPECT_EQ(vbIntegerOr(u"5000000000", 9), 9);
}
