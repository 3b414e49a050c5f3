#include "sigdump/Crc16.h"

#include <array>

namespace kelmdor {

namespace {

using Tables = std::array<std::array<uint16_t, 256>, 8>;

// Table 0 is the usual byte table of the reflected polynomial; tables 1..7 advance it by further zero bytes so
// eight bytes can be folded in at once.
constexpr Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t v = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? static_cast<uint16_t>((v >> 1) ^ 0xA001) : static_cast<uint16_t>(v >> 1);
        t[0][i] = v;
    }
    for (size_t k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = makeTables();

constexpr uint16_t swapBytes(uint16_t v)
{
    return static_cast<uint16_t>((v << 8) | (v >> 8));
}

} // namespace

uint16_t crc16(uint16_t start, const uint8_t* bytes, size_t count)
{
    // The stored "hi" byte is the low byte of the usual reflected register.
    uint16_t reg = swapBytes(start);
    const auto& t = kTables;
    while (count >= 8) {
        const unsigned b0 = (bytes[0] ^ reg) & 0xFF;
        const unsigned b1 = (bytes[1] ^ (reg >> 8)) & 0xFF;
        reg = static_cast<uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][bytes[2]] ^ t[4][bytes[3]] ^ t[3][bytes[4]] ^
                                    t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]]);
        bytes += 8;
        count -= 8;
    }
    for (size_t i = 0; i < count; ++i)
        reg = static_cast<uint16_t>((reg >> 8) ^ t[0][(reg ^ bytes[i]) & 0xFF]);
    return swapBytes(reg);
}

} // namespace kelmdor
