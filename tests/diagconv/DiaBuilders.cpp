#include "DiaBuilders.h"

#include <cstdio>

namespace diagtest {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int v : values)
        out.push_back(static_cast<char>(static_cast<unsigned char>(v)));
    return out;
}

std::string stamp(int d0, int d1, int d2, int hours, int minutes)
{
    return bytes({d0, d1, d2, hours, minutes});
}

std::string appDefaultRecord(const std::string& stamp5, int critical, std::uint16_t code)
{
    return stamp5 + bytes({critical, code & 0xFF, code >> 8});
}

std::string appCounterRecord(std::uint16_t number, std::uint32_t value, std::uint16_t unused)
{
    return bytes({number & 0xFF, number >> 8, unused & 0xFF, unused >> 8, static_cast<int>(value & 0xFF),
                  static_cast<int>((value >> 8) & 0xFF), static_cast<int>((value >> 16) & 0xFF),
                  static_cast<int>(value >> 24)});
}

std::string appDefaultFileOfSize(std::size_t size, std::uint32_t seed)
{
    std::string out = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A);
    out.reserve(size);
    std::uint32_t state = seed ? seed : 1;
    while (out.size() < size) {
        // xorshift32: cheap, and the same bytes on every machine.
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out.push_back(static_cast<char>(state & 0xFF));
    }
    out.resize(size);
    return out;
}

std::string hexPairs(const std::string& data)
{
    std::string out;
    char pair[3];
    for (const char c : data) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
        out += pair;
    }
    return out;
}

SecurityDiag::SecurityDiag()
{
    for (int i = 1; i <= 22; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "HEADER LINE %02d", i);
        headerLines.emplace_back(line);
    }
    headerLines.back() = "TRAP RESET BYTES ";
    trapLines = {"TRAP 1 PC=0001", "TRAP 2 PC=0002"};
    blockDigits.assign(512, '0');
    setText("SECURITY PROCESSOR DIAGNOSTIC");
    // A recognisable default for every field: b0 = k, then A1 B2 C3.
    for (int k = 1; k <= 49; ++k) {
        char b0[3];
        std::snprintf(b0, sizeof b0, "%02X", k);
        setFieldPairs(k, b0, "A1", "B2", "C3");
    }
}

void SecurityDiag::setFieldPairs(int k, const std::string& b0, const std::string& b1, const std::string& b2,
                                 const std::string& b3)
{
    blockDigits.replace(120 + 8 * static_cast<std::size_t>(k - 1), 8, b0 + b1 + b2 + b3);
}

void SecurityDiag::setField(int k, std::uint32_t value)
{
    const std::string pairs = hexPairs(bytes({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                                              static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)}));
    blockDigits.replace(120 + 8 * static_cast<std::size_t>(k - 1), 8, pairs);
}

void SecurityDiag::setText(const std::string& text)
{
    std::string padded = text.substr(0, 60);
    padded.resize(60, ' ');
    blockDigits.replace(0, 120, hexPairs(padded));
}

std::string SecurityDiag::trapBytesCountText() const
{
    std::size_t count = 0;
    for (const auto& line : trapLines)
        count += line.size() + (lineEnd == "\r\n" ? 1 : 0);
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(count & 0xFF));
    return text;
}

std::string SecurityDiag::build() const
{
    std::string out;
    for (std::size_t i = 0; i < headerLines.size(); ++i) {
        out += headerLines[i];
        if (i == 21)
            out += countText.empty() ? trapBytesCountText() : countText;
        out += lineEnd;
    }
    for (const auto& line : trapLines)
        out += line + lineEnd;
    for (std::size_t i = 0; i < blockDigits.size(); i += 2) {
        if (i > 0 && digitsPerLine > 0 && i % digitsPerLine == 0)
            out += lineEnd;
        else if (i > 0)
            out += blockSeparator;
        out += blockDigits.substr(i, 2);
    }
    out += lineEnd;
    return out;
}

std::vector<std::string> crlfLines(const std::string& report)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = report.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < report.size())
                lines.push_back(report.substr(start));
            return lines;
        }
        lines.push_back(report.substr(start, end - start));
        start = end + 2;
    }
}

} // namespace diagtest

namespace diagtest {

std::string testName(const std::string& what)
{
    std::string name;
    bool upper = true;
    for (const char c : what) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            upper = true;
            continue;
        }
        name.push_back(upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        upper = false;
    }
    return name;
}

} // namespace diagtest
