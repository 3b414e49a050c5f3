#pragma once

// Where the certificate blocks stand in signed component files: the legacy 548-byte block at the end of a legacy
// file and the newer signature trailer (a certificate and 262 more bytes). Shared by the dumper and by the main
// program's certificate classes, so the two always read the same bytes. Plain C++, no Qt.

#include <cstdint>
#include <string_view>

namespace signedfile {

struct BlockField {
    int64_t offset;
    int64_t size;
};

// Legacy certificate block, integers little-endian.
inline constexpr int64_t kLegacyBlockSize = 548;
inline constexpr std::string_view kLegacyIssuerMarker = "TARQO.FR  "; // the block's first 10 bytes
inline constexpr std::string_view kLegacyIssuer = "TARQO.FR";
// The dumper reads the 154 bytes after the marker (block bytes 10..163) as one record.
inline constexpr int64_t kLegacyRecordSize = 154;

namespace legacy {
inline constexpr BlockField kIssuerName{0, 10};
inline constexpr BlockField kCertificateDate{10, 8};
inline constexpr BlockField kProtocolVersion{18, 1};
inline constexpr BlockField kCipheringAlgo{19, 1};
inline constexpr BlockField kHashAlgo{20, 1};
inline constexpr BlockField kPlatform{21, 1};
inline constexpr BlockField kValidityDate{22, 1};
inline constexpr BlockField kReserved{23, 1};
inline constexpr BlockField kSerialNumber{24, 4};
inline constexpr BlockField kKeyLogicNumber{28, 4};
inline constexpr BlockField kUnauthorizedKeyList{32, 128};
inline constexpr BlockField kPublicKeyLength{160, 4};
inline constexpr BlockField kModulus{164, 128};
inline constexpr BlockField kExponent{292, 128};
inline constexpr BlockField kSignature{420, 128};
} // namespace legacy

// Newer certificate and signature trailer.
inline constexpr std::string_view kNewerIssuer = "QUORB PARVINX.FR";
inline constexpr BlockField kCertificateVersion{0, 2};
inline constexpr BlockField kCertificateIssuer{8, 16};
inline constexpr int64_t kCertificateHeaderSize = 60;
inline constexpr int64_t kCertificateTrailerSize = 18;
inline constexpr int64_t kSignatureRest = 262;    // after the certificate, to the end of the file
inline constexpr int64_t kShortTrailerSize = 600; // certificate version 02 01
inline constexpr int64_t kLongTrailerSize = 852;  // certificate version 02 00
// How far before the end of a file the trailer's issuer stands.
inline constexpr int64_t kShortTrailerIssuerFromEnd = kShortTrailerSize - kCertificateIssuer.offset;
inline constexpr int64_t kLongTrailerIssuerFromEnd = kLongTrailerSize - kCertificateIssuer.offset;

} // namespace signedfile
