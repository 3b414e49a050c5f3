#include "DiaBuilders.h"
#include "FakeOutput.h"
#include "TestEnv.h"
#include "diagconv/Orbeck.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace diagtest;
using diagconv::orbeck::View;

namespace {

struct FieldLine {
    int k;
    bool userView;
    const char* line;
};

// The report's field lines for goldenDiag() below, from the field table: label padded to 27, ": ", value.
const FieldLine kGoldenFields[] = {
    {1, true, "DisplayContrastLevel       : C3 B2 A1 01 "},   {2, false, "KeyMultipleContrastPlus    : C3 B2 A1 02 "},
    {3, false, "KeyMultipleContrastLess    : C3 B2 A1 03 "},  {4, false, "PressionTimeContrast       : 305419896 ms"},
    {5, false, "KeyMultipleCombinaison1    : C3 B2 A1 05 "},  {6, false, "KeyMultipleCombinaison2    : C3 B2 A1 06 "},
    {7, false, "KeyMultipleCombinaison3    : C3 B2 A1 07 "},  {8, false, "PressionTimeCombinaison    : 1000 ms"},
    {9, false, "PressionDelayCombinaison   : 3283263753 ms"}, {10, false, "DelayKeyLocked             : 1 ms x 20"},
    {11, true, "TypeDisplay                : C3 B2 A1 0B "},  {12, true, "TypeProduct                : C3 B2 A1 0C "},
    {13, true, "Ruf_1                      : C3 B2 A1 0D "},  {14, true, "Ruf_2                      : C3 B2 A1 0E "},
    {15, true, "Ruf_3                      : C3 B2 A1 0F "},  {16, true, "Ruf_4                      : C3 B2 A1 10 "},
    {17, true, "Ruf_5                      : C3 B2 A1 11 "},  {18, false, "intrusion_flags            : C3 B2 A1 12 "},
    {19, false, "security_engaged           : C3 B2 A1 13 "}, {20, false, "pio_intrusion_active_low   : C3 B2 A1 14 "},
    {21, false, "pio_intrusion_active_high  : C3 B2 A1 15 "}, {22, false, "pio_intrusion_Fast_Forcing : C3 B2 A1 16 "},
    {23, false, "pio_intrusion_is_init      : C3 B2 A1 17 "}, {24, false, "display_intrusions         : C3 B2 A1 18 "},
    {25, false, "intrusion_mask             : C3 B2 A1 19 "}, {26, false, "sw_intrusion_active        : C3 B2 A1 1A "},
    {27, false, "sw_intrusion_flags         : C3 B2 A1 1B "}, {28, true, "Tampering_date             : 17/05/2011"},
    {29, true, "Tampering_time             : 09:20:15"},      {30, true, "Tampering _FIQ             : C3 B2 A1 1E "},
    {31, true, "Tampering _polling         : C3 B2 A1 1F "},  {32, true, "Tampering_upper_cap        : C3 B2 A1 20 "},
    {33, true, "Tampering_lower_cap        : C3 B2 A1 21 "},  {34, true, "Tampering_keyboard_membrane: C3 B2 A1 22 "},
    {35, true, "Tampering_Spurious         : C3 B2 A1 23 "},  {36, true, "Tampering_printed_circuit  : C3 B2 A1 24 "},
    {37, true, "Tampering_Temperature_Low  : C3 B2 A1 25 "},  {38, true, "Tampering_Temperature_high : C3 B2 A1 26 "},
    {39, true, "Tampering _Voltage_Low     : C3 B2 A1 27 "},  {40, true, "Tampering _Voltage_High    : C3 B2 A1 28 "},
    {41, false, "Debug_Mode                 : C3 B2 A1 29 "}, {42, false, "retry_main_osc             : C3 B2 A1 2A "},
    {43, true, "VersionPatch               : C3 B2 A1 2B "},  {44, true, "dmmc_flag                  : C3 B2 A1 2C "},
    {45, false, "UIRAM_data_size(other)     : C3 B2 A1 2D "}, {46, true, "EndOfDataAdress            : C3 B2 A1 2E "},
    {47, true, "ROM_version                : C3 B2 A1 2F "},  {48, true, "Keyboard_activation_state  : C3 B2 A1 30 "},
    {49, true, "TxBuffer_Sys_cptRendu      : C3 B2 A1 31 "},
};

// Every field b0 = k, A1, B2, C3, except the ms, date and time examples.
SecurityDiag goldenDiag()
{
    SecurityDiag diag;
    diag.setFieldPairs(4, "78", "56", "34", "12");
    diag.setFieldPairs(8, "E8", "03", "00", "00");
    diag.setFieldPairs(10, "01", "00", "00", "00");
    diag.setFieldPairs(28, "20", "11", "05", "17");
    diag.setFieldPairs(29, "15", "20", "09", "00");
    return diag;
}

std::string report(const std::string& file, View view)
{
    std::istringstream in(file);
    std::ostringstream out;
    diagconv::orbeck::writeSecurityReport(in, out, view);
    return out.str();
}

std::vector<std::string> goldenLines(View view)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= 21; ++i)
        lines.push_back((i < 10 ? "HEADER LINE 0" : "HEADER LINE ") + std::to_string(i));
    lines.insert(lines.end(), {"TRAP RESET BYTES 1C", "trap_reset_data", "TRAP 1 PC=0001", "TRAP 2 PC=0002",
                               "SECURITY PROCESSOR DIAGNOSTIC                               "});
    for (const auto& field : kGoldenFields)
        if (view == View::Full || field.userView)
            lines.emplace_back(field.line);
    return lines;
}

std::string joinCrlf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

// Lines of the report from the text part on (after the header and trap-reset lines).
std::vector<std::string> blockLines(const std::string& text)
{
    auto lines = crlfLines(text);
    const auto title =
        std::find(lines.begin(), lines.end(), "SECURITY PROCESSOR DIAGNOSTIC                               ");
    return std::vector<std::string>(title, lines.end());
}

TEST(OrbeckReport, UserViewGolden)
{
    EXPECT_EQ(report(goldenDiag().build(), View::User), joinCrlf(goldenLines(View::User)));
    EXPECT_EQ(goldenLines(View::User).size(), 26u + 27u);
}

TEST(OrbeckReport, FullViewGolden)
{
    EXPECT_EQ(report(goldenDiag().build(), View::Full), joinCrlf(goldenLines(View::Full)));
    EXPECT_EQ(goldenLines(View::Full).size(), 26u + 49u);
}

TEST(OrbeckReport, OnlyTheExactCodeGivesFullView)
{
    using diagconv::orbeck::viewForOption;
    EXPECT_EQ(viewForOption("/wk&"), View::Full);
    for (const char* other : {"", "/WK&", "/wk", "/wk&&", "wk&", "/x"})
        EXPECT_EQ(viewForOption(other), View::User) << other;
}

struct OptionCase {
    const char* argument;
    bool isOption;
};

TEST(OrbeckArguments, OptionIsASlashWordWithNoOtherSlash)
{
    const OptionCase cases[] = {
        {"/wk&", true},     {"/x", true},           {"/", true}, {"/out.dia", true}, {"/abs/out.dia", false},
        {"out.dia", false}, {"sub/out.dia", false}, {"", false}, {"//", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(diagconv::orbeck::isOptionArgument(c.argument), c.isOption) << c.argument;
}

TEST(OrbeckReport, CrLfHeaderLinesKeepTheirCarriageReturn)
{
    SecurityDiag diag = goldenDiag();
    diag.lineEnd = "\r\n";
    const auto lines = crlfLines(report(diag.build(), View::User));
    ASSERT_GT(lines.size(), 26u);
    EXPECT_EQ(lines[0], "HEADER LINE 01\r");
    // Trap lines counted with their CR: 2 x 15 = 0x1E.
    EXPECT_EQ(lines[21], "TRAP RESET BYTES 1E\r");
    EXPECT_EQ(lines[22], "trap_reset_data");
    EXPECT_EQ(lines[23], "TRAP 1 PC=0001\r");
    EXPECT_EQ(lines[24], "TRAP 2 PC=0002\r");
    // The block over CR LF lines decodes as it does over LF lines.
    EXPECT_EQ(blockLines(report(diag.build(), View::Full)), blockLines(report(goldenDiag().build(), View::Full)));
}

TEST(OrbeckReport, BlockLayoutDoesNotChangeTheDecoding)
{
    const auto reference = blockLines(report(goldenDiag().build(), View::Full));
    struct Layout {
        const char* what;
        std::size_t digitsPerLine;
        std::string lineEnd;
        std::string separator;
    };
    const Layout layouts[] = {
        {"one line", 0, "\n", ""},
        {"32 digits a line", 32, "\n", ""},
        {"CR LF lines", 64, "\r\n", ""},
        {"single CR LF line", 0, "\r\n", ""},
        {"blanks between pairs", 64, "\n", " "},
        {"NUL between pairs", 16, "\r\n", std::string(1, '\0')},
    };
    for (const auto& layout : layouts) {
        SecurityDiag diag = goldenDiag();
        diag.digitsPerLine = layout.digitsPerLine;
        diag.lineEnd = layout.lineEnd;
        diag.blockSeparator = layout.separator;
        EXPECT_EQ(blockLines(report(diag.build(), View::Full)), reference) << layout.what;
    }
}

TEST(OrbeckReport, FewerThan22LinesAreCopiedAndNothingElse)
{
    const std::string file = "first\n\n\nsecond\r\nthird";
    EXPECT_EQ(report(file, View::Full), "first\r\nsecond\r\r\nthird\r\n");
    EXPECT_EQ(report("", View::Full), "");
    EXPECT_EQ(report("\n\n\n", View::Full), "");
}

TEST(OrbeckReport, EmptyLinesAreNotCounted)
{
    SecurityDiag diag = goldenDiag();
    std::string file = "\n\n" + diag.build();
    file.insert(file.find("HEADER LINE 05"), "\n\n\n");
    EXPECT_EQ(report(file, View::User), joinCrlf(goldenLines(View::User)));
}

TEST(OrbeckReport, LongHeaderLinesAreKeptWhole)
{
    SecurityDiag diag = goldenDiag();
    diag.headerLines[3] = std::string(5000, 'L');
    const auto lines = crlfLines(report(diag.build(), View::User));
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[3], std::string(5000, 'L'));
    EXPECT_EQ(lines.size(), goldenLines(View::User).size());
}

struct TrapCase {
    const char* what;
    std::string lastHeaderLine; // the whole 22nd line, count included
    std::string lineEnd;
    std::vector<std::string> trapData; // lines as in the file, without line end
    std::vector<std::string> expected; // report lines from "trap_reset_data" to before the text part
};

TEST(OrbeckReport, TrapResetCountAndLines)
{
    const TrapCase cases[] = {
        {"0, A and CR give 10",
         "COUNT 0A",
         "\r\n",
         {"abcd", "efgh"},
         // 10 bytes: "abcd\r" (5) and "efgh\r" (5).
         {"trap_reset_data", "abcd\r", "efgh\r"}},
        {"blank before the digits on an LF line",
         "COUNT 0A",
         "\n",
         {"abcde", "fghij"},
         {"trap_reset_data", "abcde", "fghij"}},
        {"count ends with the last line, before its line feed: that line is written",
         "COUNT 06",
         "\n",
         {"abcd", "ef"},
         {"trap_reset_data", "abcd", "ef"}},
        {"shorter line after a longer one keeps its own characters",
         "COUNT 0A",
         "\n",
         {"abcdefgh", "xy"},
         {"trap_reset_data", "abcdefgh", "xy"}},
        {"empty trap lines are written empty", "COUNT 04", "\n", {"ab", "", "cd"}, {"trap_reset_data", "ab", "", "cd"}},
        {"count 0", "COUNT 00", "\n", {}, {"trap_reset_data"}},
        {"22nd line shorter than 3 characters counts 0", "AB", "\n", {}, {"trap_reset_data"}},
        {"no hexadecimal digits count 0", "COUNT :Z", "\n", {}, {"trap_reset_data"}},
        {"only one digit after the blank", "COUNT  5", "\n", {"abcde"}, {"trap_reset_data", "abcde"}},
        {"lower-case digits", "COUNT 0a", "\n", {"abcde", "fghij"}, {"trap_reset_data", "abcde", "fghij"}},
    };
    for (const auto& c : cases) {
        SecurityDiag diag = goldenDiag();
        diag.lineEnd = c.lineEnd;
        diag.headerLines[21] = c.lastHeaderLine.substr(0, c.lastHeaderLine.size() - 2);
        diag.countText = c.lastHeaderLine.substr(c.lastHeaderLine.size() - 2);
        diag.trapLines = c.trapData;
        const auto lines = crlfLines(report(diag.build(), View::User));
        ASSERT_GE(lines.size(), 22u + c.expected.size()) << c.what;
        const std::vector<std::string> trap(lines.begin() + 22,
                                            lines.begin() + 22 + static_cast<long>(c.expected.size()));
        EXPECT_EQ(trap, c.expected) << c.what;
        EXPECT_EQ(lines[22 + c.expected.size()], "SECURITY PROCESSOR DIAGNOSTIC                               ")
            << c.what;
    }
}

TEST(OrbeckReport, TrapCountPastTheEndOfTheFile)
{
    const std::string file = goldenDiag().build();
    const std::string head = file.substr(0, file.find("TRAP 1"));
    std::string shortFile = head;
    shortFile.replace(shortFile.find("1C\n"), 2, "FF");
    shortFile += "only line\nunfinished";
    const auto lines = crlfLines(report(shortFile, View::User));
    ASSERT_EQ(lines.size(), 22u + 3u + 1u + 27u);
    EXPECT_EQ(lines[23], "only line");
    EXPECT_EQ(lines[24], "unfinished");
    EXPECT_EQ(lines[25], "");
    for (std::size_t i = 26; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(29), diagconv::orbeck::kMissingFieldMarker) << lines[i];
}

TEST(OrbeckReport, ShortBlockShowsMissingFieldsWithTheMarker)
{
    SecurityDiag diag = goldenDiag();
    // Text part and fields 1..3 whole, field 4 cut after three pairs.
    diag.blockDigits = diag.blockDigits.substr(0, 120 + 3 * 8 + 6);
    const auto lines = blockLines(report(diag.build(), View::Full));
    ASSERT_EQ(lines.size(), 1u + 49u);
    EXPECT_EQ(lines[1], "DisplayContrastLevel       : C3 B2 A1 01 ");
    EXPECT_EQ(lines[3], "KeyMultipleContrastLess    : C3 B2 A1 03 ");
    EXPECT_EQ(lines[4], "PressionTimeContrast       : (missing)");
    EXPECT_EQ(lines[49], "TxBuffer_Sys_cptRendu      : (missing)");
}

TEST(OrbeckReport, ShortTextPartWritesTheBytesItHas)
{
    SecurityDiag diag = goldenDiag();
    diag.blockDigits = hexPairs("HELLO") + "4";
    const auto lines = crlfLines(report(diag.build(), View::User));
    ASSERT_EQ(lines.size(), 26u + 27u);
    EXPECT_EQ(lines[25], "HELLO");
    EXPECT_EQ(lines[26], "DisplayContrastLevel       : (missing)");
}

TEST(OrbeckReport, LongBlockUsesItsFirst256Bytes)
{
    SecurityDiag diag = goldenDiag();
    diag.blockDigits += std::string(100000, 'F');
    EXPECT_EQ(report(diag.build(), View::User), joinCrlf(goldenLines(View::User)));
}

struct ValueCase {
    const char* what;
    int k;
    const char* pairs[4];
    const char* expected;
};

TEST(OrbeckReport, FieldValueKinds)
{
    const ValueCase cases[] = {
        {"hex keeps the file's case", 1, {"ab", "cD", "Ef", "01"}, "DisplayContrastLevel       : 01 Ef cD ab "},
        {"hex shows non-digits as they are", 11, {"zz", "00", "00", "00"}, "TypeDisplay                : 00 00 00 zz "},
        {"ms example", 4, {"78", "56", "34", "12"}, "PressionTimeContrast       : 305419896 ms"},
        {"ms largest", 8, {"FF", "FF", "FF", "FF"}, "PressionTimeCombinaison    : 4294967295 ms"},
        {"ms x 20", 10, {"14", "00", "00", "00"}, "DelayKeyLocked             : 20 ms x 20"},
        {"date example", 28, {"20", "11", "05", "17"}, "Tampering_date             : 17/05/2011"},
        {"date month masked to five bits", 28, {"20", "11", "E5", "17"}, "Tampering_date             : 17/05/2011"},
        {"date month in lower-case hex", 28, {"19", "99", "1C", "31"}, "Tampering_date             : 31/1c/1999"},
        {"time example, b3 not shown", 29, {"15", "20", "09", "00"}, "Tampering_time             : 09:20:15"},
        {"time keeps characters", 29, {"5a", "3B", "17", "FF"}, "Tampering_time             : 17:3B:5a"},
    };
    for (const auto& c : cases) {
        SecurityDiag diag = goldenDiag();
        diag.setFieldPairs(c.k, c.pairs[0], c.pairs[1], c.pairs[2], c.pairs[3]);
        const auto lines = blockLines(report(diag.build(), View::Full));
        ASSERT_EQ(lines.size(), 50u) << c.what;
        EXPECT_EQ(lines[static_cast<std::size_t>(c.k)], c.expected) << c.what;
    }
}

} // namespace
