#include "FakeNotifier.h"
#include "core/HexText.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace jvz;

namespace {
QString latin(const char* s, qsizetype n = -1)
{
    return QString::fromLatin1(s, n);
}
} // namespace

TEST(HexTextDecode, PairsOfDigits)
{
    struct Case {
        QString hex;
        QString expected;
        QString upperCased; // what the caller's variable holds afterwards
    };
    const Case cases[] = {
        {"4142", "AB", "4142"},
        {"41424", "AB", "41424"}, // an odd last digit is ignored
        {"4a", "J", "4A"},
        {"", "", ""},
        {"0", "", "0"},
        {"00ff80", QString(QChar(0)) + QChar(0xFF) + QChar(0x20AC), "00FF80"},
        {"e9", QString(QChar(0xE9)), "E9"},
    };
    for (const Case& c : cases) {
        jvztest::FakeNotifier notifier;
        QString hex = c.hex;
        EXPECT_EQ(toUnDouble(hex, &notifier), c.expected) << c.hex.toStdString();
        EXPECT_EQ(hex, c.upperCased);
        EXPECT_TRUE(notifier.shown.empty()) << c.hex.toStdString();
    }
}

TEST(HexTextDecode, NonHexDigitGivesEmptyTextAndOneReport)
{
    struct Case {
        QString hex;
        QChar reported;
    };
    const Case cases[] = {{"4G", u'G'}, {"41 42", u' '}, {"zz41", u'Z'}, {"41-2", u'-'}, {"0x41", u'X'}};
    for (const Case& c : cases) {
        jvztest::FakeNotifier notifier;
        QString hex = c.hex;
        EXPECT_EQ(toUnDouble(hex, &notifier), "") << c.hex.toStdString();
        ASSERT_EQ(notifier.shown.size(), 1u) << c.hex.toStdString();
        EXPECT_EQ(notifier.shown[0].text, nonHexDigitMessage(c.reported));
        EXPECT_EQ(notifier.shown[0].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(nonHexDigitMessage(u'g'),
              QString::fromUtf8("ConvAscInt: conversion d'un caract\xc3\xa8re non hexadecimal : g"));
}

TEST(HexTextDecode, StrictDecoderRefusesBadInput)
{
    struct Case {
        QString hex;
        std::optional<QByteArray> expected;
    };
    const Case cases[] = {
        {"", QByteArray()},
        {"4142", QByteArray("AB")},
        {"00fF", QByteArray("\x00\xff", 2)},
        {"414", std::nullopt},
        {"4G", std::nullopt},
        {" 41", std::nullopt},
        {QString::fromUtf16(u"\u0664\u0661"), std::nullopt}, // other scripts' digits are not hex
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexToBytes(c.hex), c.expected) << c.hex.toStdString();
}

TEST(HexTextDigits, ConvAscIntAndHexDigit)
{
    jvztest::FakeNotifier notifier;
    const QString digits = "0123456789ABCDEFabcdef";
    const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
    for (qsizetype i = 0; i < digits.size(); ++i)
        EXPECT_EQ(ConvAscInt(digits[i], &notifier), values[i]) << digits[i].toLatin1();
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(ConvAscInt(u'g', &notifier), 0);
    ASSERT_EQ(notifier.shown.size(), 1u);

    struct Case {
        int n;
        QChar c;
        int code;
    };
    const Case cases[] = {{0, u'0', 48},  {9, u'9', 57},  {10, u'A', 65},
                          {15, u'F', 70}, {65, u'A', 65}, {128, QChar(0x20AC), 128},
                          {-1, u'?', 63}, {300, u'?', 63}};
    for (const Case& c : cases) {
        int n = c.n;
        EXPECT_EQ(HexDigit(n), c.c) << c.n;
        EXPECT_EQ(n, c.code) << c.n;
    }
}

TEST(HexTextEncode, TextBytesAndPadding)
{
    EXPECT_EQ(ToHexText(u"AB"), "4142");
    EXPECT_EQ(ToHexText(u""), "");
    EXPECT_EQ(ToHexText(QString(QChar(0)) + QChar(0x20AC) + QChar(0xFF)), "0080FF");

    const QByteArray bytes("\x01\xab\x00\xff", 4);
    struct Case {
        int count;
        QString expected;
    };
    const Case cases[] = {{4, "01AB00FF"}, {2, "01AB"}, {0, ""}, {-3, ""}, {9, "01AB00FF"}};
    for (const Case& c : cases) {
        QString out = "stale";
        BytesToHex(c.count, bytes, out);
        EXPECT_EQ(out, c.expected) << c.count;
    }

    struct Pad {
        int32_t value;
        std::optional<int> width;
        QString expected;
    };
    const Pad pads[] = {
        {10, 4, "000A"},      {10, {}, "A"},   {4660, 2, "34"}, {0, {}, "0"},
        {-1, {}, "FFFFFFFF"}, {-2, 4, "FFFE"}, {255, 0, ""},    {0x7FFFFFFF, {}, "7FFFFFFF"},
    };
    for (const Pad& p : pads)
        EXPECT_EQ(HexPad(p.value, p.width), p.expected) << p.value;
}

TEST(HexTextTrim, TrimNull)
{
    EXPECT_EQ(TrimNull(QString(QChar(0)) + "abc"), "");
    EXPECT_EQ(TrimNull(latin("ab\0cd", 5)), "ab");
    EXPECT_EQ(TrimNull(QString("abc")), "abc");
    EXPECT_EQ(TrimNull(QByteArray("xy\0z", 4)), QByteArray("xy"));
}
