#include "DiaDate.h"

#include "TextFormat.h"

#include <initializer_list>
#include <utility>

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

// The date texts are built piece by piece at fixed positions, each piece written over the end of the one
// before, so a number wider than two characters loses its last character to the next piece. Stored reports
// look like that, so the layout is kept; the text itself grows as far as the last piece needs.
std::string compose(std::initializer_list<std::pair<std::size_t, std::string>> pieces)
{
    std::string text;
    for (const auto& [position, piece] : pieces) {
        if (text.size() > position)
            text.resize(position);
        text += piece;
    }
    return text;
}

} // namespace

std::string headerDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    return compose({
        {0, strFormat("%02d", byteValue(stamp[0], sign))},
        {2, "/"},
        {3, strFormat("%02d", byteValue(stamp[1], sign))},
        {5, "/"},
        {6, strFormat("%02d", byteValue(stamp[2], sign))},
        {8, strFormat(" %02dh", byteValue(stamp[3], sign))},
        {12, strFormat(" %02dmin\n", byteValue(stamp[4], sign))},
    });
}

std::string recordDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    return compose({
        {0, strFormat("%02d", byteValue(stamp[0], sign))},
        {2, "/"},
        {3, strFormat("%02d", byteValue(stamp[1], sign))},
        {5, "/"},
        {6, strFormat("%02d", byteValue(stamp[2], sign))},
        {8, strFormat(" %02d:", byteValue(stamp[3], sign))},
        {12, strFormat("%02d", byteValue(stamp[4], sign))},
    });
}

} // namespace diagconv
