#include "SignedFileBuilder.h"

#include "LzssPacker.h"

#include <cstdio>

namespace sigtest {

namespace {

std::string padded(const std::string& s, size_t width, char fill = ' ')
{
    std::string r = s.substr(0, width);
    r.resize(width, fill);
    return r;
}

} // namespace

std::string le32(uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string componentHeader(const Descriptor& d)
{
    std::string h = padded(d.version, 4) + padded(d.varId, 4) + padded(d.serial, 8) + std::string(6, ' ');
    h += d.componentType;
    h += padded(d.name, 15) + padded(d.appType, 4) + padded(d.family, 16);
    h += d.zipped;
    h += d.crcFlag;
    h += padded(d.crc, 4) + padded(d.unzippedSize, 8) + padded(d.zippedSize, 8) + padded(d.dataSize, 8) +
         padded(d.codeAddress, 8) + padded(d.dataAddress, 8);
    h.resize(224, '\0');
    return h;
}

std::string certificate(const Certificate& c)
{
    std::string s;
    s += static_cast<char>(c.versionMajor);
    s += static_cast<char>(c.versionMinor);
    for (uint8_t b : c.identity)
        s += static_cast<char>(b);
    s += static_cast<char>(c.hashing);
    s += static_cast<char>(c.enciphering);
    s += kIssuer + padded(c.emission, 8) + padded(c.validity, 8) + padded(c.owner, 16) + le32(c.keyLength);
    const bool v0200 = c.versionMajor == 2 && c.versionMinor == 0;
    s += std::string(v0200 ? 512 : 260, '\0');
    s += le32(c.keyNumber);
    for (uint8_t b : c.card)
        s += static_cast<char>(b);
    s += static_cast<char>(c.varIdentity & 0xFF);
    s += static_cast<char>(c.varIdentity >> 8);
    for (uint8_t b : c.repudiated)
        s += static_cast<char>(b);
    s += static_cast<char>(c.keySet);
    s += static_cast<char>(c.controlType);
    return s;
}

std::string signatureTrailer(const Certificate& c)
{
    return certificate(c) + std::string(262, '\0');
}

std::string legacyBlock(const LegacyBlock& b)
{
    std::string s = "TARQO.FR  " + padded(b.date, 8);
    for (uint8_t v : {b.protocol, b.cipher, b.hash, b.platform, b.validity, b.reserved})
        s += static_cast<char>(v);
    for (uint8_t v : b.card)
        s += static_cast<char>(v);
    s += le32(b.keyNumber);
    std::string list(128, '\xFF');
    for (size_t i = 0; i < b.keyList.size(); ++i)
        list[i] = static_cast<char>(b.keyList[i]);
    s += list + le32(128);
    s += std::string(384, '\x5A');
    return s;
}

std::string schemeHeader(const std::string& name, uint32_t contentLength)
{
    return std::string("SCHEMASCHEM\0", 12) + padded(name, 12, '\0') + le32(contentLength);
}

std::string versionMarker(const std::string& text)
{
    return "SCHE_VERS:" + text + std::string(1, '\0');
}

std::string keyBlock(const KeyBlock& k)
{
    std::string s(64, '\0');
    s += static_cast<char>(k.fileFormat & 0xFF);
    s += static_cast<char>(k.fileFormat >> 8);
    for (uint8_t b : k.area)
        s += static_cast<char>(b);
    s += '\0';
    s += padded(k.areaId, 5);
    s += static_cast<char>(k.continuity);
    s += static_cast<char>(k.fileVersion[0]);
    s += static_cast<char>(k.fileVersion[1]);
    s += std::string(8, '\0');
    s += le32(k.declaredKeys);
    return s;
}

std::string keyEntry(uint32_t number, uint16_t fileFormat)
{
    return le32(number) + std::string(fileFormat == 0x0101 ? 264 : 516, '\0');
}

uint16_t referenceCrc(const std::string& bytes)
{
    uint16_t crc = 0; // CRC-16/ARC: reflected 0x8005, initial 0, no final XOR
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return static_cast<uint16_t>((crc << 8) | (crc >> 8));
}

std::string hex8(size_t v)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08zX", v);
    return buf;
}

std::string zippedComponent(const std::string& code, Descriptor d, const Certificate& c)
{
    const std::string packed = lzssPack(code);
    d.zipped = '1';
    d.zippedSize = hex8(packed.size());
    return componentHeader(d) + packed + signatureTrailer(c);
}

std::string hex4(uint16_t v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

} // namespace sigtest
