#include "sigdump/Crc16.h"

#include <array>

namespace kelmdor {

namespace {

constexpr std::array<uint16_t, 256> makeReflectedTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t v = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? static_cast<uint16_t>((v >> 1) ^ 0xA001) : static_cast<uint16_t>(v >> 1);
        table[i] = v;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = makeReflectedTable();

constexpr uint16_t swapBytes(uint16_t v)
{
    return static_cast<uint16_t>((v << 8) | (v >> 8));
}

} // namespace

uint16_t crc16(uint16_t start, const uint8_t* bytes, size_t count)
{
    // The stored "hi" byte is the low byte of the usual reflected register.
    uint16_t reg = swapBytes(start);
    for (size_t i = 0; i < count; ++i)
        reg = static_cast<uint16_t>((reg >> 8) ^ kTable[(reg ^ bytes[i]) & 0xFF]);
    return swapBytes(reg);
}

} // namespace kelmdor
