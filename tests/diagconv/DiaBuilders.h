#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Builders of synthetic diagnostic files for the converters' tests and fuzz seeds.
namespace diagtest {

std::string bytes(std::initializer_list<int> values);

// Five timestamp bytes: three date numbers, hours, minutes.
std::string stamp(int d0, int d1, int d2, int hours, int minutes);

// An application-default record: timestamp, critical flag, default code (little-endian).
std::string appDefaultRecord(const std::string& stamp5, int critical, std::uint16_t code);

// An application-counter record: number (little-endian), two unused bytes, value (little-endian).
std::string appCounterRecord(std::uint16_t number, std::uint32_t value, std::uint16_t unused = 0);

// An application-default file of exactly size bytes (at least the header): a header, then records whose bytes
// are drawn from a fixed pseudo-random sequence (every byte value occurs, so dates of 100 and more too), then
// whatever piece of a record is left. The same seed gives the same file.
std::string appDefaultFileOfSize(std::size_t size, std::uint32_t seed = 1);

// A security processor diagnostic text: 22 header lines, the trap-reset lines, then the 256-byte block as
// hexadecimal digits spread over lines.
struct SecurityDiag {
    SecurityDiag();

    std::vector<std::string> headerLines; // the 22nd gets the trap-reset count appended unless countText set
    std::string lineEnd = "\n";
    std::vector<std::string> trapLines;
    // The two characters closing the 22nd line; empty means the byte count of the trap lines (each line's
    // characters, CR included when lineEnd is CR LF), as "%02X".
    std::string countText;
    std::string blockDigits; // 512 characters: the text part, then fields 1..49
    std::size_t digitsPerLine = 64;
    std::string blockSeparator; // put between digit pairs, such as " "

    // Field k (1..49) as the four character pairs of b0..b3, in file order.
    void setFieldPairs(int k, const std::string& b0, const std::string& b1, const std::string& b2,
                       const std::string& b3);
    void setField(int k, std::uint32_t value);
    // The first 60 block bytes as text (padded with blanks).
    void setText(const std::string& text);

    std::string trapBytesCountText() const;
    std::string build() const;
};

// The digits of bytes as upper-case hexadecimal pairs.
std::string hexPairs(const std::string& data);

// Splits a report on CR LF; a report not ending in CR LF keeps its last piece.
std::vector<std::string> crlfLines(const std::string& report);

} // namespace diagtest

namespace diagtest {

// A description turned into a test name (letters, digits and underscores only).
std::string testName(const std::string& what);

} // namespace diagtest
