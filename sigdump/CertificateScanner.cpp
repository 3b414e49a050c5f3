#include "sigdump/CertificateScanner.h"

#include "sigdump/CodeTables.h"
#include "sigdump/Crc16.h"
#include "sigdump/SignedFileLayout.h"
#include "sigdump/TextFormat.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kelmdor {

namespace {

constexpr std::string_view kIssuer = signedfile::kNewerIssuer;
constexpr std::string_view kLegacyMarker = signedfile::kLegacyIssuerMarker;
constexpr std::string_view kLegacyIssuer = signedfile::kLegacyIssuer;
constexpr std::string_view kSchemeMarker{"SCHEMASCHEM\0", 12};
constexpr std::string_view kVersionMarker = "SCHE_VERS:";

constexpr int64_t kHeaderSize = signedfile::kCertificateHeaderSize;
constexpr int64_t kIssuerEnd = 24; // the issuer ends 24 bytes into the certificate header
constexpr int64_t kTrailerSize = signedfile::kCertificateTrailerSize;
constexpr int64_t kSignatureRest = signedfile::kSignatureRest;
constexpr int64_t kLegacyRecordSize = signedfile::kLegacyRecordSize;
constexpr int64_t kLegacyBlockRest = 384;
constexpr size_t kSchemeNameSize = 12;
constexpr size_t kVersionTextMax = 25;
constexpr size_t kRawVersionText = 16;

// Bytes that cannot start any marker: while no marker is partly matched they change nothing but the count.
constexpr std::array<bool, 256> makeSkippable()
{
    std::array<bool, 256> t{};
    for (auto& v : t)
        v = true;
    t[static_cast<uint8_t>(kIssuer[0])] = false;
    t[static_cast<uint8_t>(kLegacyMarker[0])] = false;
    t[static_cast<uint8_t>(kSchemeMarker[0])] = false;
    t[static_cast<uint8_t>(kVersionMarker[0])] = false;
    return t;
}

constexpr std::array<bool, 256> kSkippable = makeSkippable();

bool allDigits(const uint8_t* p, size_t n)
{
    return std::all_of(p, p + n, [](uint8_t c) { return c >= '0' && c <= '9'; });
}

bool bytesAre(const uint8_t* p, uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    return p[0] == a && p[1] == b && p[2] == c && p[3] == d;
}

std::string trimTrailingBlanks(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string dateText(const uint8_t* d)
{
    return format("%c%c/%c%c/%c%c%c%c", d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
}

} // namespace

CertificateScanner::CertificateScanner(ScanPass pass, const ByteSource& stream, std::ostream& report,
                                       const LabelNames& names, RepudiationMask& mask, ScanCarry& carry)
    : m_pass(pass), m_stream(stream), m_reader(stream), m_out(report), m_names(names), m_mask(mask), m_carry(carry)
{
    blankLabel();
}

void CertificateScanner::setLabel(const std::string& text)
{
    blankLabel();
    for (size_t i = 0; i < text.size() && i < kLabelWidth; ++i)
        m_label[i] = text[i] == '\0' ? ' ' : text[i];
}

void CertificateScanner::scan(int64_t start)
{
    m_reader.seek(start);
    int c = m_reader.get();
    if (c < 0)
        return;
    // The legacy dump looks for its own block first; the order decides which handler sees a shared byte first.
    const bool legacyFirst = m_pass != ScanPass::Newer;
    for (;;) {
        const uint8_t b = static_cast<uint8_t>(c);
        bool issuerMatched = false;
        bool legacyMatched = false;
        if (legacyFirst) {
            legacyMatched = stepLegacy(b);
            issuerMatched = stepIssuer(b);
        } else {
            issuerMatched = stepIssuer(b);
            legacyMatched = stepLegacy(b);
        }
        if (!issuerMatched && !legacyMatched) {
            m_issuerIndex = 0;
            m_legacyIndex = 0;
            if (b == static_cast<uint8_t>(kIssuer[0]))
                m_issuerIndex = 1;
            else if (b == static_cast<uint8_t>(kLegacyMarker[0]))
                m_legacyIndex = 1;
        }
        stepScheme(b);
        stepVersion(b);
        if ((m_issuerIndex | m_legacyIndex | m_schemeIndex | m_versionIndex) == 0)
            m_byteCount += m_reader.skipWhile(kSkippable);
        c = m_reader.get();
        if (c < 0)
            break;
        ++m_byteCount;
    }
}

bool CertificateScanner::stepIssuer(uint8_t b)
{
    if (b != static_cast<uint8_t>(kIssuer[m_issuerIndex]))
        return false;
    if (++m_issuerIndex == kIssuer.size()) {
        m_issuerIndex = 0;
        onCertificate();
    }
    return true;
}

bool CertificateScanner::stepLegacy(uint8_t b)
{
    if (b != static_cast<uint8_t>(kLegacyMarker[m_legacyIndex]))
        return false;
    if (++m_legacyIndex == kLegacyMarker.size()) {
        m_legacyIndex = 0;
        onLegacyRecord();
    }
    return true;
}

void CertificateScanner::stepScheme(uint8_t b)
{
    if (b != static_cast<uint8_t>(kSchemeMarker[m_schemeIndex])) {
        m_schemeIndex = 0;
        return;
    }
    if (++m_schemeIndex < kSchemeMarker.size())
        return;
    m_schemeIndex = 0;

    uint8_t name[kSchemeNameSize];
    m_reader.read(name, sizeof name);
    const int64_t afterName = m_reader.tell();
    uint8_t lengthBytes[4];
    const bool haveLength = m_stream.readZeroFilled(afterName, lengthBytes, 4) == 4;
    const int64_t length = readLe32(lengthBytes);
    const int64_t contentEnd = afterName + 4 + length;
    // A header counts only when its content really ends in a signature trailer.
    const bool accepted =
        haveLength && (m_stream.holdsAt(contentEnd - signedfile::kLegacyBlockSize, kLegacyIssuer) ||
                       m_stream.holdsAt(contentEnd - signedfile::kShortTrailerIssuerFromEnd, kIssuer) ||
                       m_stream.holdsAt(contentEnd - signedfile::kLongTrailerIssuerFromEnd, kIssuer));
    if (!accepted) {
        m_reader.seek(afterName);
        return;
    }
    const std::string nameText(reinterpret_cast<const char*>(name), sizeof name);
    if (m_pass == ScanPass::Newer) {
        if (m_names.detailView)
            m_out << "\n\n";
        setLabel(" Scheme name:" + nameText);
    } else {
        setLabel("Scheme Name:" + nameText);
    }
    m_reader.seek(afterName + 4);
    m_schemeLength = length;
    m_carry.schemeStart = afterName + 4;
    m_carry.certificateCount = 0;
    m_byteCount = 0;
    m_labelDone = false;
}

void CertificateScanner::stepVersion(uint8_t b)
{
    if (b != static_cast<uint8_t>(kVersionMarker[m_versionIndex])) {
        m_versionIndex = 0;
        return;
    }
    if (++m_versionIndex < kVersionMarker.size())
        return;
    m_versionIndex = 0;
    m_version.clear();
    if (m_pass == ScanPass::LegacyRaw) {
        uint8_t text[kRawVersionText];
        m_byteCount += static_cast<int64_t>(m_reader.read(text, sizeof text));
        m_version = cString(text, sizeof text);
        return;
    }
    for (size_t i = 0; i < kVersionTextMax; ++i) {
        const int v = m_reader.get();
        if (v < 0)
            break;
        ++m_byteCount;
        if (v == 0)
            break;
        m_version.push_back(static_cast<char>(v));
    }
}

uint16_t CertificateScanner::crcOver(int64_t start, int64_t end) const
{
    // Ranges that leave the stream are clipped; an empty range has no check value.
    start = std::max<int64_t>(start, 0);
    end = std::min(end, m_stream.size());
    uint16_t crc = 0;
    std::vector<uint8_t> chunk(64 * 1024);
    while (start < end) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(end - start, static_cast<int64_t>(chunk.size())));
        const size_t got = m_stream.readAt(start, chunk.data(), want);
        if (got == 0)
            break;
        crc = crc16(crc, chunk.data(), got);
        start += static_cast<int64_t>(got);
    }
    return crc;
}

std::string CertificateScanner::versionSuffix()
{
    if (m_version.empty())
        return {};
    std::string suffix = " (SCHE_VERS:" + m_version + ")";
    m_version.clear();
    return suffix;
}

void CertificateScanner::onCertificate()
{
    const int64_t markerEnd = m_reader.tell();
    uint8_t header[kHeaderSize];
    // The emission and validity dates must follow the issuer; the header must lie inside the stream.
    if (markerEnd < kIssuerEnd || m_reader.read(header + kIssuerEnd, 16) != 16 || !allDigits(header + kIssuerEnd, 16)) {
        m_reader.seek(markerEnd);
        return;
    }
    m_reader.seek(markerEnd - kIssuerEnd);
    m_reader.read(header, sizeof header);
    m_byteCount += kHeaderSize - kIssuerEnd;
    int64_t keySize = 0;
    if (header[0] == 0x02 && header[1] == 0x00) {
        keySize = 512;
    } else if (header[0] == 0x02 && header[1] == 0x01) {
        keySize = 260;
    } else {
        m_out << format("Certificat version not supported (%02X%02X)\n", header[0], header[1]);
        return;
    }
    m_reader.skip(keySize);
    m_byteCount += keySize;
    if (m_pass != ScanPass::LegacyRaw)
        ++m_carry.certificateCount;
    const int64_t trailerPos = m_reader.tell();
    uint8_t t[kTrailerSize];
    m_reader.read(t, sizeof t);
    m_byteCount += kTrailerSize;

    if (m_pass == ScanPass::Newer && m_byteCount > m_schemeLength && !m_labelDone) {
        if (m_names.detailView)
            m_out << "\n\n";
        if (m_names.descriptorVersion != 0)
            setLabel(" Application:" + m_names.componentName);
        else
            setLabel("       Name :" + m_names.baseName);
        m_labelDone = true;
    }

    uint16_t crc = 0;
    if (m_carry.certificateCount == 1) {
        const uint32_t keyNumber = readLe32(t);
        const int64_t e = m_carry.schemeStart;
        int64_t end = 0;
        if ((keyNumber >= 1 && keyNumber <= 32) || bytesAre(t + 4, 0x00, 0x03, 0xC0, 0x0E))
            end = trailerPos + kTrailerSize + kSignatureRest;
        else if (m_schemeLength != 0)
            end = e + m_schemeLength;
        else
            end = trailerPos + e - 256; // the trailer's absolute offset
        crc = crcOver(e, end);
    }

    bool showCrc = crc != 0;
    if (m_pass == ScanPass::Newer)
        showCrc = showCrc && m_label.compare(0, 13, " Application:") != 0 && m_label[8] != ' ';
    else
        showCrc = showCrc && m_label[m_pass == ScanPass::LegacyUnpacked ? 9 : 1] != ' ';
    const std::string crcText = showCrc ? format("%04X", crc) : std::string("    ");

    if (m_pass != ScanPass::Newer) {
        m_out << m_label
              << format(" %s %02X%02X%02X%02X %02X%02X%02X%02X  %02X%02X %02X%02X-%02X%02X-%02X %02X %02X",
                        crcText.c_str(), t[4], t[5], t[6], t[7], t[3], t[2], t[1], t[0], t[9], t[8], t[10], t[11],
                        t[12], t[13], t[14], t[16], t[17])
              << versionSuffix() << "\n";
        return;
    }
    if (m_names.detailView) {
        printDetail(header, t, showCrc ? format("\n              %04X       -> CRC", crc) : std::string());
    } else {
        m_out << m_label
              << format(" %s %02X%02X%02X%02X %02X%02X%02X%02X %02X%02X %02X%02X-%02X%02X-%02X %02X %02X",
                        crcText.c_str(), t[4], t[5], t[6], t[7], t[3], t[2], t[1], t[0], t[9], t[8], t[10], t[11],
                        t[12], t[13], t[14], t[16], t[17])
              << versionSuffix() << "\n";
    }
    if (t[16] == 0x12)
        for (size_t i = 0; i < 5; ++i)
            m_mask[i] &= t[10 + i];
    blankLabel();
}

void CertificateScanner::printDetail(const uint8_t* h, const uint8_t* t, const std::string& crcPart)
{
    const std::string owner = trimTrailingBlanks(cString(h + 40, 16));
    const std::string issuer(reinterpret_cast<const char*>(h + 8), 16);
    const int32_t keyLength = static_cast<int32_t>(readLe32(h + 56));
    m_out << m_label << format("%s\n              %02X%02X       -> Version\n", crcPart.c_str(), h[0], h[1]);
    m_out << format("              %02X%02X%02X%02X   -> Certificat identity\n", h[2], h[3], h[4], h[5]);
    m_out << format("              %02X         -> Hashing algo (%s)\n", h[6], hashingAlgorithmLabel(h[6]).c_str());
    m_out << format("              %02X         -> Enciphering type (%s)\n", h[7], encipheringTypeLabel(h[7]).c_str());
    m_out << format("              %02X%02X..%02X%02X -> Issuer (%s)\n", h[8], h[9], h[22], h[23], issuer.c_str());
    m_out << format("              %02X%02X..%02X%02X -> Emission day (%s)\n", h[24], h[25], h[30], h[31],
                    dateText(h + 24).c_str());
    m_out << format("              %02X%02X..%02X%02X -> End of validity (%s)\n", h[32], h[33], h[38], h[39],
                    dateText(h + 32).c_str());
    m_out << format("              %02X%02X..%02X%02X -> Owner (%s)\n", h[40], h[41], h[54], h[55], owner.c_str());
    m_out << format("              %02X%02X%02X%02X   -> Length Public key (%d)\n", h[56], h[57], h[58], h[59],
                    keyLength);
    m_out << "                 ....    -> Public key modulo\n";
    m_out << "                 ....    -> Public key exponent\n";
    m_out << format("              %02X%02X%02X%02X   -> Logical key number (%02X%02X%02X%02X)\n", t[0], t[1], t[2],
                    t[3], t[3], t[2], t[1], t[0]);
    m_out << format("              %02X%02X%02X%02X   -> VAR card number\n", t[4], t[5], t[6], t[7]);
    m_out << format("              %02X%02X       -> VAR identity (%02X%02X)\n", t[8], t[9], t[9], t[8]);
    m_out << format("              %02X%02X%02X%02X%02X%02X -> List of repudiated keys %s\n", t[10], t[11], t[12],
                    t[13], t[14], t[15], t[14] == 0xFF ? "(no page repudiated)" : "");
    m_out << format("              %02X         -> Key set number (%s)\n", t[16], keySetLabel(t[16]).c_str());
    m_out << format("              %02X         -> Control type (%s)\n", t[17], controlTypeLabel(t[17]).c_str());
    m_out << "                         ---------------";
}

void CertificateScanner::onLegacyRecord()
{
    const int64_t markerEnd = m_reader.tell();
    uint8_t r[kLegacyRecordSize];
    if (m_reader.read(r, 8) != 8 || !allDigits(r, 8)) {
        m_reader.seek(markerEnd);
        return;
    }
    m_reader.read(r + 8, sizeof r - 8);
    ++m_carry.certificateCount;
    m_byteCount += kLegacyRecordSize;

    uint16_t crc = 0;
    if (m_carry.certificateCount == 1) {
        const uint32_t keyNumber = readLe32(r + 18);
        const int64_t e = m_carry.schemeStart;
        int64_t end = 0;
        const bool wholeBlock = bytesAre(r + 14, 0x00, 0x03, 0xC0, 0x09) || keyNumber == 1 || keyNumber == 2 ||
                                keyNumber == 3 || keyNumber == 6 || keyNumber == 7;
        if (wholeBlock)
            end = markerEnd + kLegacyRecordSize + kLegacyBlockRest;
        else if (m_schemeLength != 0)
            end = e + m_schemeLength;
        else
            end = markerEnd + e - 128;
        crc = crcOver(e, end);
    }

    if (m_pass == ScanPass::Newer) {
        const std::string crcText = (crc != 0 && m_label[1] != ' ') ? format("%04X", crc) : std::string("    ");
        m_out << m_label
              << format(" %s %02X%02X%02X%02X %02X%02X%02X%02X %02X", crcText.c_str(), r[14], r[15], r[16], r[17],
                        r[21], r[20], r[19], r[18], r[13])
              << versionSuffix() << "\n";
        blankLabel();
        return;
    }

    const size_t crcColumn = m_pass == ScanPass::LegacyUnpacked ? 1 : 9;
    const std::string crcText = (crc != 0 && m_label[crcColumn] != ' ') ? format("%04X", crc) : std::string("    ");
    if (m_byteCount > m_schemeLength && !m_labelDone) {
        setLabel("       Name :" + m_names.baseName);
        m_labelDone = true;
    }
    std::string line = m_label + format(" %s %02X%02X%02X%02X %02X%02X%02X%02X %02X %02X ", crcText.c_str(), r[14],
                                        r[15], r[16], r[17], r[21], r[20], r[19], r[18], r[11], r[13]);
    for (size_t i = 0; i < m_mask.size(); ++i) {
        line += format("%02X", r[22 + i]);
        m_mask[i] &= r[22 + i];
    }
    m_out << line << versionSuffix() << "\n";
    blankLabel();
}

} // namespace kelmdor
