#pragma once

#include "sigdump/ByteReader.h"
#include "sigdump/ByteSource.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

namespace kelmdor {

using RepudiationMask = std::array<uint8_t, 17>;

enum class ScanPass {
    Newer,          // a newer signed file (or its unpacked copy)
    LegacyUnpacked, // first legacy pass, over the unpacked copy
    LegacyRaw,      // second legacy pass, over the file as it stands
};

// Names the certificate labels are made of.
struct LabelNames {
    bool detailView = false;
    uint32_t descriptorVersion = 0;
    std::string componentName; // shown after " Application:"
    std::string baseName;      // shown after "       Name :"
};

// What the legacy dump's second pass inherits from its first.
struct ScanCarry {
    int64_t schemeStart = 0;
    int64_t certificateCount = 0;
};

// The byte scan for certificate, legacy block, nested scheme and version markers; prints one report line (or
// detail block) per certificate.
class CertificateScanner {
public:
    static constexpr size_t kLabelWidth = 24;

    CertificateScanner(ScanPass pass, const ByteSource& stream, std::ostream& report, const LabelNames& names,
                       RepudiationMask& mask, ScanCarry& carry);
    // Scans from offset start to the end of the stream.
    void scan(int64_t start);
    // Puts the text into the label column, which it fills; NULs show as blanks.
    void setLabel(const std::string& text);

private:
    bool stepIssuer(uint8_t b);
    bool stepLegacy(uint8_t b);
    void stepScheme(uint8_t b);
    void stepVersion(uint8_t b);
    void onCertificate();
    void onLegacyRecord();
    void printDetail(const uint8_t* header, const uint8_t* trailer, const std::string& crcPart);
    uint16_t crcOver(int64_t start, int64_t end) const;
    std::string versionSuffix();
    void blankLabel() { m_label.assign(kLabelWidth, ' '); }

    ScanPass m_pass;
    const ByteSource& m_stream;
    ByteReader m_reader;
    std::ostream& m_out;
    const LabelNames& m_names;
    RepudiationMask& m_mask;
    ScanCarry& m_carry;

    size_t m_issuerIndex = 0;
    size_t m_legacyIndex = 0;
    size_t m_schemeIndex = 0;
    size_t m_versionIndex = 0;
    int64_t m_schemeLength = 0;
    int64_t m_byteCount = 0;
    bool m_labelDone = false;
    std::string m_label;
    std::string m_version;
};

} // namespace kelmdor
