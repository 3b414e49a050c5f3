#pragma once

#include <cstddef>
#include <cstdint>

namespace kelmdor {

// The check value printed for the first certificate of a signed area: the reflected CRC-16 over 0x8005 run
// byte-wise with its two state bytes kept swapped, so from 0 it equals CRC-16/ARC with its bytes swapped.
uint16_t crc16(uint16_t start, const uint8_t* bytes, size_t count);

} // namespace kelmdor
