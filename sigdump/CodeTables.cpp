#include "sigdump/CodeTables.h"

#include "sigdump/TextFormat.h"

namespace kelmdor {

std::string componentTypeLabel(uint8_t typeDigit)
{
    const uint8_t code = static_cast<uint8_t>(typeDigit - '0');
    switch (code) {
    case 0:
        return "Parameter";
    case 1:
        return "Application";
    case 2:
        return "Library    ";
    case 3:
        return "Driver     ";
    case 4:
        return "Key        ";
    default:
        return format("%02X", code);
    }
}

std::string hashingAlgorithmLabel(uint8_t code)
{
    switch (code) {
    case 1:
        return "SHA-1";
    case 2:
        return "SHA tarqo";
    case 3:
        return "SHA 256 SOFT";
    case 4:
        return "SHA 256 HARD";
    default:
        return format("%02X           ", code);
    }
}

std::string encipheringTypeLabel(uint8_t code)
{
    switch (code) {
    case 1:
        return "1024-BIT RSA";
    case 2:
        return "2048-BIT RSA SOFT";
    case 3:
        return "2048-BIT RSA HARD";
    default:
        return format("%02X           ", code);
    }
}

std::string keySetLabel(uint8_t code)
{
    switch (code) {
    case 0x10:
        return "KBG initial boot glimmox II";
    case 0x11:
        return "KBV initial boot vorbane III";
    case 0x12:
        return "KV,KC,KD initial keypad Sorvel40";
    default:
        return format("%02X           ", code);
    }
}

std::string controlTypeLabel(uint8_t code)
{
    switch (code) {
    case 0x11:
        return "nested signature";
    case 0x12:
        return "boot glimmox II";
    case 0x13:
        return "keypad Sorvel40";
    case 0x15:
        return "boot vorbane III";
    case 0xFD:
        return "key file";
    case 0xFE:
        return "glimmox Sorvel40 system";
    case 0xFF:
        return "keypad Sorvel40 system";
    default:
        return format("%02X", code);
    }
}

namespace {

int trailingZeroBits(uint32_t v, int width)
{
    if (v == 0)
        return width;
    int n = 0;
    while ((v & 1) == 0) {
        v >>= 1;
        ++n;
    }
    return n;
}

} // namespace

std::string areaPageText(const uint8_t* area)
{
    const int page = area[4];
    int count = 0;
    if (page == 0) {
        const uint32_t v = (static_cast<uint32_t>(area[0]) << 24) | (static_cast<uint32_t>(area[1]) << 16) |
                           (static_cast<uint32_t>(area[2]) << 8) | area[3];
        count = 32 - trailingZeroBits(v, 32);
    } else {
        const uint32_t v = (static_cast<uint32_t>(area[2]) << 8) | area[3];
        count = (page + 2) * 16 - trailingZeroBits(v, 16);
    }
    return format("[%04d-%03d]", count, page);
}

std::string maskPageText(const uint8_t* mask)
{
    constexpr int kBytes = 17;
    const int pages = mask[kBytes - 1] & 0x1F;
    int last = 0;
    for (int i = 0; i < kBytes; ++i) {
        const uint8_t b = i == kBytes - 1 ? static_cast<uint8_t>(mask[i] & 0xE0) : mask[i];
        for (int bit = 0; bit < 8; ++bit)
            if (b & (0x80 >> bit))
                last = i * 8 + bit + 1;
    }
    return format("[%04d-%03d]", last * (pages + 1), pages);
}

} // namespace kelmdor
