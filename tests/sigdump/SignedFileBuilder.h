#pragma once

#include <array>
#include <cstdint>
#include <string>

// Builders of synthetic signed component files, certificates and legacy blocks for the dumper's tests.
namespace sigtest {

inline const std::string kIssuer = "QUORB PARVINX.FR";

struct Descriptor {
    std::string version = "0101";
    std::string varId = "V123";
    std::string serial = "12345678";
    char componentType = '1';
    std::string name = "MYAPP.AGN"; // padded with blanks to 15
    std::string appType = "0042";
    std::string family = "FAMILY"; // padded with blanks to 16
    char zipped = '0';
    char crcFlag = '1';
    std::string crc = "ABCD";
    std::string unzippedSize = "00000010";
    std::string zippedSize = "00000000";
    std::string dataSize = "00000020";
    std::string codeAddress = "00010000";
    std::string dataAddress = "00020000";
};

// The 224-byte component header: the 104-byte descriptor and zeros.
std::string componentHeader(const Descriptor& d);

struct Certificate {
    uint8_t versionMinor = 0x01; // 02 01 (338 bytes) or 02 00 (590 bytes)
    uint8_t versionMajor = 0x02;
    std::array<uint8_t, 4> identity{0x11, 0x22, 0x33, 0x44};
    uint8_t hashing = 0x03;
    uint8_t enciphering = 0x02;
    std::string emission = "01022023";
    std::string validity = "31122030";
    std::string owner = "OWNER";
    uint32_t keyLength = 260;
    uint32_t keyNumber = 0x40;
    std::array<uint8_t, 4> card{0x01, 0x02, 0x03, 0x04};
    uint16_t varIdentity = 0x1234;
    std::array<uint8_t, 6> repudiated{0xF0, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
    uint8_t keySet = 0x12;
    uint8_t controlType = 0xFE;
};

// Header, key material (zeros) and 18-byte trailer.
std::string certificate(const Certificate& c);
// A certificate and the 262 bytes behind it: the end of a signed file (600 or 852 bytes).
std::string signatureTrailer(const Certificate& c);

struct LegacyBlock {
    std::string date = "20230102";
    uint8_t protocol = 1, cipher = 2, hash = 3, platform = 0x05, validity = 4, reserved = 0x07;
    std::array<uint8_t, 4> card{0x11, 0x22, 0x33, 0x44};
    uint32_t keyNumber = 0x20;
    std::array<uint8_t, 17> keyList{0xFE, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE3};
};

// The 548-byte legacy certificate block.
std::string legacyBlock(const LegacyBlock& b);

// "SCHEMASCHEM\0", the 12-byte name and the content length; the content follows.
std::string schemeHeader(const std::string& name, uint32_t contentLength);
// "SCHE_VERS:" and the text with its NUL.
std::string versionMarker(const std::string& text);

struct KeyBlock {
    uint16_t fileFormat = 0x0101;
    std::array<uint8_t, 5> area{0x12, 0x34, 0x56, 0x78, 0x00};
    std::string areaId = "AREA1";
    uint8_t continuity = 1;
    std::array<uint8_t, 2> fileVersion{0x02, 0x05};
    uint32_t declaredKeys = 0;
};

// The 92-byte key block; key entries are appended with keyEntry.
std::string keyBlock(const KeyBlock& k);
std::string keyEntry(uint32_t number, uint16_t fileFormat);

// A component whose code is LZSS-packed (zipped flag '1', zipped size filled in).
std::string zippedComponent(const std::string& code, Descriptor d = {}, const Certificate& c = {});

std::string le32(uint32_t v);
std::string hex8(size_t v);
// CRC as the report prints it, computed bit by bit from its definition (CRC-16/ARC with the bytes swapped).
uint16_t referenceCrc(const std::string& bytes);
std::string hex4(uint16_t v);

} // namespace sigtest
