#include "DiaDate.h"

#include "TextFormat.h"

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
void lay(std::string& text, std::size_t position, const std::string& piece)
{
    if (text.size() > position)
        text.resize(position);
    text += piece;
}

// "dd/mm/yy", common to both forms.
std::string datePart(const DiaTimestamp& stamp, ByteSign sign)
{
    std::string text;
    lay(text, 0, strFormat("%02d", byteValue(stamp[0], sign)));
    lay(text, 2, "/");
    lay(text, 3, strFormat("%02d", byteValue(stamp[1], sign)));
    lay(text, 5, "/");
    lay(text, 6, strFormat("%02d", byteValue(stamp[2], sign)));
    return text;
}

} // namespace

std::string headerDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    std::string text = datePart(stamp, sign);
    lay(text, 8, strFormat(" %02dh", byteValue(stamp[3], sign)));
    lay(text, 12, strFormat(" %02dmin\n", byteValue(stamp[4], sign)));
    return text;
}

std::string recordDateText(const DiaTimestamp& stamp, ByteSign sign)
{
    std::string text = datePart(stamp, sign);
    lay(text, 8, strFormat(" %02d:", byteValue(stamp[3], sign)));
    lay(text, 12, strFormat("%02d", byteValue(stamp[4], sign)));
    return text;
}

} // namespace diagconv
