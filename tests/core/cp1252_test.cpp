#include "core/Cp1252.h"

#include <gtest/gtest.h>

using namespace jvz;

TEST(Cp1252Codec, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    bool lossless = false;
    EXPECT_EQ(Cp1252::encode(text, &lossless), all);
    EXPECT_TRUE(lossless);
    // Bijective: no two bytes share a character.
    for (int a = 0; a < 256; ++a)
        for (int b = a + 1; b < 256; ++b)
            ASSERT_NE(text[a], text[b]) << a << " " << b;
}

TEST(Cp1252Codec, KnownCharacters)
{
    struct Case {
        unsigned char byte;
        char16_t ch;
    };
    const Case cases[] = {
        {0x41, u'A'},   {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xE8, 0x00E8}, {0xFF, 0x00FF}, {0x00, 0x0000}, {0x92, 0x2019},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252::toUnicode(c.byte).unicode(), c.ch) << int(c.byte);
        EXPECT_EQ(Cp1252::fromUnicode(QChar(c.ch)), int(c.byte)) << int(c.byte);
    }
}

TEST(Cp1252Codec, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    bool lossless = true;
    EXPECT_EQ(Cp1252::encode(QStringView(u"a\u4E2Db\u0100"), &lossless), QByteArray("a?b?"));
    EXPECT_FALSE(lossless);
    EXPECT_EQ(Cp1252::fromUnicode(QChar(0x0100)), -1);
}

TEST(Cp1252Codec, UpperCaseKeepsOneByteOneCharacter)
{
    struct Case {
        const char16_t* in;
        const char16_t* out;
    };
    const Case cases[] = {
        {u"abc", u"ABC"},       {u"\u00e9t\u00e9", u"\u00c9T\u00c9"},
        {u"\u00ff", u"\u0178"}, // y with diaeresis upper-cases to a character of the 0x9F byte
        {u"\u00b5", u"\u00b5"}, // micro sign: its upper case is outside the code page
        {u"\u00df", u"\u00df"}, // sharp s: its upper case is two characters
        {u"\u0161", u"\u0160"}, {u"4a", u"4A"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cp1252::toUpper(QStringView(c.in)), QString::fromUtf16(c.out))
            << QString::fromUtf16(c.in).toStdString();
}
