#include "SecurityReport.h"

#include "SecurityFields.h"
#include "TextFormat.h"

#include <cstdint>
#include <string>

namespace diagconv::orbeck {

namespace {

constexpr int kHeaderLines = 22;
constexpr std::size_t kTextBytes = 60;
constexpr std::size_t kBlockBytes = 256;
// Only the first 256 bytes (512 digits) of the block are ever shown; the rest is not kept.
constexpr std::size_t kKeptDigits = kBlockBytes * 2;
constexpr const char* kLineEnd = "\r\n";

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

bool isScanBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Up to two hexadecimal digits at the start of text, as a two-wide hexadecimal scan reads them after
// skipping blanks; no digit at all reads as 0.
unsigned scanHexByte(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isScanBlank(text[i]))
        ++i;
    unsigned value = 0;
    for (int digits = 0; digits < 2 && i < text.size() && isHexDigit(text[i]); ++digits, ++i)
        value = value * 16 + hexDigitValue(text[i]);
    return value;
}

// The value of one byte of the block: the two characters that stand for it.
unsigned pairValue(std::string_view pair)
{
    unsigned value = 0;
    for (std::size_t i = 0; i < pair.size() && i < 2 && isHexDigit(pair[i]); ++i)
        value = value * 16 + hexDigitValue(pair[i]);
    return value;
}

// Copies header lines until the 22nd; returns the number of lines written and the last three characters
// of the last one with its length (the trap-reset count sits at its end).
struct HeaderResult {
    int lines = 0;
    std::size_t lastLength = 0;
    std::string lastTail;
};

HeaderResult copyHeaderLines(std::streambuf& in, std::ostream& report)
{
    HeaderResult result;
    std::size_t length = 0;
    std::string tail;
    for (;;) {
        const int c = in.sbumpc();
        const bool end = c == std::char_traits<char>::eof();
        if (end || c == '\n') {
            if (length > 0) {
                report << kLineEnd;
                ++result.lines;
                result.lastLength = length;
                result.lastTail = tail;
            }
            length = 0;
            tail.clear();
            if (end || result.lines == kHeaderLines)
                return result;
            continue;
        }
        const char ch = static_cast<char>(c);
        report.put(ch);
        ++length;
        tail.push_back(ch);
        if (tail.size() > 3)
            tail.erase(0, 1);
    }
}

void copyTrapResetLines(std::streambuf& in, std::ostream& report, unsigned count)
{
    report << "trap_reset_data" << kLineEnd;
    std::string line;
    unsigned taken = 0;
    while (taken < count) {
        const int c = in.sbumpc();
        if (c == std::char_traits<char>::eof())
            break;
        if (c == '\n') {
            report << line << kLineEnd;
            line.clear();
            continue;
        }
        line.push_back(static_cast<char>(c));
        ++taken;
    }
    // The count rarely ends on a line feed, so the last line is written too rather than lost.
    if (!line.empty())
        report << line << kLineEnd;
}

std::string readBlockDigits(std::streambuf& in)
{
    std::string digits;
    while (digits.size() < kKeptDigits) {
        const int c = in.sbumpc();
        if (c == std::char_traits<char>::eof())
            break;
        if (c == '\0' || c == '\n' || c == '\r' || c == ' ')
            continue;
        digits.push_back(static_cast<char>(c));
    }
    return digits;
}

void writeField(std::ostream& report, const SecurityField& field, std::string_view digits)
{
    report << fieldLabel(field);
    if (digits.size() < 8) {
        report << kMissingFieldMarker << kLineEnd;
        return;
    }
    const auto chars = [&](int byte) { return digits.substr(static_cast<std::size_t>(byte) * 2, 2); };
    const auto value = [&](int byte) { return pairValue(chars(byte)); };
    const auto number = [&] {
        return static_cast<std::uint32_t>(value(0)) | (static_cast<std::uint32_t>(value(1)) << 8) |
               (static_cast<std::uint32_t>(value(2)) << 16) | (static_cast<std::uint32_t>(value(3)) << 24);
    };
    switch (field.kind) {
    case FieldKind::Hex:
        for (int byte = 3; byte >= 0; --byte)
            report << chars(byte) << ' ';
        break;
    case FieldKind::Milliseconds:
        report << strFormat("%u ms", static_cast<unsigned>(number()));
        break;
    case FieldKind::MillisecondsTimes20:
        report << strFormat("%u ms x 20", static_cast<unsigned>(number()));
        break;
    case FieldKind::Date:
        report << chars(3) << "/" << strFormat("%02x/", value(2) & 0x1Fu) << chars(0) << chars(1);
        break;
    case FieldKind::Time:
        report << chars(2) << ":" << chars(1) << ":" << chars(0);
        break;
    }
    report << kLineEnd;
}

} // namespace

void writeSecurityReport(std::istream& in, std::ostream& report, View view)
{
    std::streambuf* buffer = in.rdbuf();
    if (!buffer)
        return;
    const HeaderResult header = copyHeaderLines(*buffer, report);
    if (header.lines < kHeaderLines)
        return;
    // The count is the two characters before the last one; a line too short to hold them counts 0.
    const unsigned count = header.lastLength < 3 ? 0 : scanHexByte(header.lastTail);
    copyTrapResetLines(*buffer, report, count);

    const std::string digits = readBlockDigits(*buffer);
    for (std::size_t i = 0; i < kTextBytes && 2 * i + 1 < digits.size(); ++i)
        report.put(static_cast<char>(pairValue(std::string_view(digits).substr(2 * i, 2))));
    report << kLineEnd;

    const auto& fields = securityFields();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (view == View::User && !fields[k].userView)
            continue;
        const std::size_t start = kTextBytes * 2 + 8 * k;
        const std::string_view fieldDigits =
            start < digits.size() ? std::string_view(digits).substr(start, 8) : std::string_view();
        writeField(report, fields[k], fieldDigits);
    }
}

} // namespace diagconv::orbeck
