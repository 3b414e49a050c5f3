#include "core/MbStringFields.h"
#include "core/MbStringTokenizer.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace jvz;

namespace {
// Calls the iterator a few times more than there are results, to show that the end is sticky.
QStringList drain(const std::function<QString()>& next, int calls)
{
    QStringList out;
    for (int i = 0; i < calls; ++i)
        out << next();
    return out;
}
} // namespace

TEST(StringTokenizer, TokensSkipRunsOfSeparators)
{
    struct Case {
        QString text;
        QString separators;
        QStringList expected; // results of six calls
    };
    const Case cases[] = {
        {",,a,,b,,", ",", {"a", "b", "", "", "", ""}},
        {"a,,b", ",", {"a", "b", "", "", "", ""}},
        {"-ca:\\x -n", "-", {"ca:\\x ", "n", "", "", "", ""}},
        {"", ",", {"", "", "", "", "", ""}},
        {",,,", ",", {"", "", "", "", "", ""}},
        {"a b;c", " ;", {"a", "b", "c", "", "", ""}},
        {"abc", "", {"abc", "", "", "", "", ""}},
        {"ttyACM0,ttyUSB1,", ",", {"ttyACM0", "ttyUSB1", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        MbStringTokenizer t(c.text, c.separators);
        EXPECT_EQ(drain([&] { return t.Iterator(); }, 6), c.expected) << c.text.toStdString();
    }
}

TEST(StringTokenizer, IteratorSepKeepsEmptyFields)
{
    struct Case {
        QString text;
        QStringList expected; // results of five calls
    };
    const Case cases[] = {
        {"a,,b", {"a", "", "b", "", ""}},     {"a,", {"a", "", "", "", ""}}, {"a,b,", {"a", "b", "", "", ""}},
        {",a", {"a", "", "", "", ""}}, // the look-ahead token skips leading separators
        {"a,b,,,c", {"a", "b", "", "", "c"}}, {"", {"", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        MbStringTokenizer t(c.text, ",");
        EXPECT_EQ(drain([&] { return t.IteratorSep(); }, 5), c.expected) << c.text.toStdString();
    }
}

TEST(StringTokenizer, CreateStartsAfreshAndLongTextsAreCut)
{
    MbStringTokenizer t("a,b", ",");
    t.Create("", ",");
    EXPECT_EQ(t.Iterator(), "");
    t.Create(QString(40000, 'x'), ",");
    EXPECT_EQ(t.Iterator().size(), MbStringTokenizer::MaxLength);
    EXPECT_EQ(t.Iterator(), "");
}

TEST(StringFields, FieldsAndTheirNumbers)
{
    struct Case {
        QString text;
        QString separator;
        QStringList fields; // results of as many calls, then the end
        QList<int> numbers;
    };
    const Case cases[] = {
        {"a,,b", ",", {"a", "", "b", "", ""}, {1, 2, 3, 0, 0}},
        {"a,b,", ",", {"a", "b", "", ""}, {1, 2, 0, 0}},
        {"", ",", {"", ""}, {0, 0}},
        {",", ",", {"", ""}, {1, 0}},
        {",a", ",", {"", "a", ""}, {1, 2, 0}},
        {"C:\\data\\pack\\", "\\", {"C:", "data", "pack", ""}, {1, 2, 3, 0}},
        {"abc", ",", {"abc", ""}, {1, 0}},
        {"abc", "", {"abc", ""}, {1, 0}},
        {"a::b::c", "::", {"a", "b", "c", ""}, {1, 2, 3, 0}},
        {"aXb", "x", {"aXb", ""}, {1, 0}},
    };
    for (const Case& c : cases) {
        MbStringFields f(c.text, c.separator);
        QStringList fields;
        QList<int> numbers;
        for (qsizetype i = 0; i < c.fields.size(); ++i) {
            int n = -1;
            fields << f.Iterator(&n);
            numbers << n;
        }
        EXPECT_EQ(fields, c.fields) << c.text.toStdString();
        EXPECT_EQ(numbers, c.numbers) << c.text.toStdString();
    }
}

TEST(StringFields, HasNextAndFieldPositions)
{
    MbStringFields f("a,b,c", ",");
    EXPECT_TRUE(f.hasNext());
    EXPECT_TRUE(f.hasNext(4));
    EXPECT_FALSE(f.hasNext(5)); // the last field has no separator after it
    EXPECT_FALSE(f.hasNext(99));
    f.Iterator();
    f.Iterator();
    EXPECT_FALSE(f.hasNext());

    struct Case {
        QString text;
        int n;
        int expected;
    };
    const Case cases[] = {
        {"a,b", 1, 2}, {"a,b", 2, 3}, {"a,b", 3, 2}, {"a,b", 0, 0},  {"a,b", -1, 0},
        {"", 1, 0},    {"abc", 1, 3}, {"abc", 2, 0}, {"a,b,", 3, 4}, {"ab,cd,ef", 2, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbStringFields(c.text, ",").getFieldPosition(c.n), c.expected)
            << c.text.toStdString() << " n=" << c.n;
}
