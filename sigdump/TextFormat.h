#pragma once

#include <cstdint>
#include <string>

namespace kelmdor {

// printf-style formatting into a string; the report formats are fixed printf texts.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The value of hexadecimal digits read most significant first; a byte that is not 0-9 or A-F counts 0.
uint32_t hexFieldValue(const uint8_t* digits, size_t count);

inline uint32_t readLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// The bytes of a fixed text field up to its first NUL, as a "%s" would show them.
std::string cString(const uint8_t* field, size_t width);

// The input's base name for labels: after the last '/' or '\', before the last '.' of that name; empty when
// the name itself holds no '.'.
std::string labelBaseName(const std::string& path);

} // namespace kelmdor
