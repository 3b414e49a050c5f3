#include "DiaDate.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace diagconv {

namespace {

int byteValue(std::uint8_t byte, ByteSign sign)
{
    switch (sign) {
    case ByteSign::Unsigned:
        return byte;
    case ByteSign::Signed:
        return static_cast<std::int8_t>(byte);
    }
    return byte;
}

// "%02d" of every value a byte gives, signed or not (-128..255): two to four characters.
struct NumberText {
    char text[4];
    std::uint8_t length;
};

constexpr NumberText numberText(int value)
{
    NumberText number{};
    char* at = number.text;
    if (value < 0) {
        *at++ = '-';
        value = -value;
    } else if (value < 10) {
        *at++ = '0';
    }
    if (value >= 100)
        *at++ = static_cast<char>('0' + value / 100);
    if (value >= 10)
        *at++ = static_cast<char>('0' + value / 10 % 10);
    *at++ = static_cast<char>('0' + value % 10);
    number.length = static_cast<std::uint8_t>(at - number.text);
    return number;
}

constexpr int kLowestByteValue = -128;

constexpr std::array<NumberText, 256 + 128> kNumberTexts = [] {
    std::array<NumberText, 256 + 128> texts{};
    for (int value = kLowestByteValue; value <= 255; ++value)
        texts[static_cast<std::size_t>(value - kLowestByteValue)] = numberText(value);
    return texts;
}();

// value as "%02d" writes it; returns the end. Four characters are always copied: the text has room.
char* putNumber(char* at, int value)
{
    const NumberText& number = kNumberTexts[static_cast<std::size_t>(value - kLowestByteValue)];
    std::memcpy(at, number.text, sizeof number.text);
    return at + number.length;
}

// One piece of a date text: written at position, over the end of the piece before.
struct Piece {
    std::size_t position;
    const char* before;
    int field; // timestamp byte shown as "%02d", or -1 for none
    const char* after;
};

// The date texts are built piece by piece at fixed positions, each piece written over the end of the one
// before, so a number wider than two characters loses its last character to the next piece. Stored reports
// look like that, so the layout is kept; the text itself grows as far as the last piece needs.
template <std::size_t N>
std::size_t layPieces(char* text, const Piece (&pieces)[N], const DiaTimestamp& stamp, ByteSign sign)
{
    char* end = text;
    for (const Piece& piece : pieces) {
        end = std::min(end, text + piece.position);
        for (const char* c = piece.before; *c; ++c)
            *end++ = *c;
        if (piece.field >= 0)
            end = putNumber(end, byteValue(stamp[static_cast<std::size_t>(piece.field)], sign));
        for (const char* c = piece.after; *c; ++c)
            *end++ = *c;
    }
    return static_cast<std::size_t>(end - text);
}

// "dd/mm/yy", common to both forms, then the form's own hours and minutes.
constexpr Piece kHeaderPieces[] = {{0, "", 0, ""}, {2, "/", -1, ""}, {3, "", 1, ""},       {5, "/", -1, ""},
                                   {6, "", 2, ""}, {8, " ", 3, "h"}, {12, " ", 4, "min\n"}};
constexpr Piece kRecordPieces[] = {{0, "", 0, ""}, {2, "/", -1, ""}, {3, "", 1, ""}, {5, "/", -1, ""},
                                   {6, "", 2, ""}, {8, " ", 3, ":"}, {12, "", 4, ""}};

std::string asText(std::size_t (*lay)(char*, const DiaTimestamp&, ByteSign), const DiaTimestamp& stamp, ByteSign sign)
{
    char text[kLongestDateText];
    return std::string(text, lay(text, stamp, sign));
}

} // namespace

std::size_t layHeaderDate(char* text, const DiaTimestamp& stamp, ByteSign sign)
{
    return layPieces(text, kHeaderPieces, stamp, sign);
}

std::size_t layRecordDate(char* text, const DiaTimestamp& stamp, ByteSign sign)
{
    return layPieces(text, kRecordPieces, stamp, sign);
}

std::string headerDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    return asText(&layHeaderDate, stamp, sign);
}

std::string recordDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    return asText(&layRecordDate, stamp, sign);
}

} // namespace diagconv
