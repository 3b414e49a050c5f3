#include "sigdump/TextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace kelmdor {

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

uint32_t hexFieldValue(const uint8_t* digits, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = digits[i];
        uint32_t d = 0;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        value = value * 16 + d;
    }
    return value;
}

std::string cString(const uint8_t* field, size_t width)
{
    size_t n = 0;
    while (n < width && field[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

std::string labelBaseName(const std::string& path)
{
    const size_t sep = path.find_last_of("/\\");
    const size_t start = sep == std::string::npos ? 0 : sep + 1;
    const size_t dot = path.rfind('.');
    // A dot that belongs to a folder name must not make the name run backwards.
    if (dot == std::string::npos || dot < start)
        return {};
    return path.substr(start, dot - start);
}

} // namespace kelmdor
