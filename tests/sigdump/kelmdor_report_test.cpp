// Whole reports of synthetic signed files, compared byte for byte.
#include "KelmdorHarness.h"
#include "LzssPacker.h"
#include "SignedFileBuilder.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

using namespace sigtest;

std::string col24(const std::string& label)
{
    std::string s = label;
    s.resize(24, ' ');
    return s;
}

const std::string kTableHead =
    "\nCERTIFICATES\n------------             CRC  Card Nb  Key Nb   VI   Repud.Keys   KS CT\n";

std::string descriptorLines(const std::string& type, char zipped, const std::string& zippedSize)
{
    return "DESCRIPTOR\n----------    Version:            0101\n"
           "              Var ID:             V123\n"
           "              Card Serial Number: 12345678\n"
           "              Component type:     " +
           type +
           "\n"
           "              Application type:   0042\n"
           "              Application Family: FAMILY\n"
           "              Zipped flag:        " +
           std::string(1, zipped) +
           "\n"
           "              CRC check flag:     1\n"
           "              CRC:                ABCD\n"
           "              Unzipped code size: 00000010\n"
           "              Zipped code size:   " +
           zippedSize +
           "\n"
           "              Data size:          00000020\n"
           "              Code Address:       00010000\n"
           "              Data Address:       00020000\n";
}

// The columns of the default trailer certificate, after the CRC text.
const std::string kDefaultColumns = " 01020304 00000040 1234 F0FF-FFFF-00 12 FE";
const std::string kShortSummary =
    "\n Application repudiated keys:" + std::string(24, ' ') + "F0FF-FFFF-00 / [0032-000]";

TEST(KelmdorReport, PlainNewerComponent)
{
    const std::string path =
        writeInput("MYAPP.AGN", componentHeader({}) + std::string(100, 'c') + signatureTrailer({}));
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.console, "\nKelmdor : v03.08\n\n");
    EXPECT_EQ(r.report, reportHead(path) + descriptorLines("Application", '0', "00000000") + kTableHead +
                            col24(" Application:MYAPP") + "     " + kDefaultColumns + "\n" + kShortSummary + "\n");
}

TEST(KelmdorReport, DetailViewOfPlainComponent)
{
    Certificate cert;
    cert.repudiated = {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    const std::string path =
        writeInput("MYAPP.AGN", componentHeader({}) + std::string(100, 'c') + signatureTrailer(cert));
    const RunResult r = dumpToFile({"-x", "-m"}, path);
    const std::string expected = reportHead(path) + descriptorLines("Application", '0', "00000000") +
                                 "\nCERTIFICATES\n------------" + "\n\n" + col24(" Application:MYAPP") +
                                 "\n              0201       -> Version\n"
                                 "              11223344   -> Certificat identity\n"
                                 "              03         -> Hashing algo (SHA 256 SOFT)\n"
                                 "              02         -> Enciphering type (2048-BIT RSA SOFT)\n"
                                 "              5155..4652 -> Issuer (QUORB PARVINX.FR)\n"
                                 "              3031..3233 -> Emission day (01/02/2023)\n"
                                 "              3331..3330 -> End of validity (31/12/2030)\n"
                                 "              4F57..2020 -> Owner (OWNER)\n"
                                 "              04010000   -> Length Public key (260)\n"
                                 "                 ....    -> Public key modulo\n"
                                 "                 ....    -> Public key exponent\n"
                                 "              40000000   -> Logical key number (00000040)\n"
                                 "              01020304   -> VAR card number\n"
                                 "              3412       -> VAR identity (1234)\n"
                                 "              F0FFFFFFFF00 -> List of repudiated keys (no page repudiated)\n"
                                 "              12         -> Key set number (KV,KC,KD initial keypad Sorvel40)\n"
                                 "              FE         -> Control type (glimmox Sorvel40 system)\n"
                                 "                         ---------------"
                                 "\n\n Application repudiated keys: F0FF-FFFF-FF / [4112-255]\n";
    EXPECT_EQ(r.report, expected);
}

TEST(KelmdorReport, ZippedComponentIsScannedUnpacked)
{
    const std::string code = versionMarker("APP 1.2") + std::string(292, 'z');
    const std::string packed = lzssPack(code);
    Descriptor d;
    d.name = "ZAPP";
    const std::string path = writeInput("ZAPP.AGN", zippedComponent(code, d));
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.report, reportHead(path) + descriptorLines("Application", '1', hex8(packed.size())) + kTableHead +
                            col24(" Application:ZAPP") + "     " + kDefaultColumns + " (SCHE_VERS:APP 1.2)\n" +
                            kShortSummary + "\n");
}

TEST(KelmdorReport, KeyFileShowsItsKeyBlockAndNoSummary)
{
    Descriptor d;
    d.componentType = '4';
    d.name = "KEYS.KEY";
    KeyBlock k;
    k.declaredKeys = 3;
    Certificate cert;
    cert.keySet = 0x10;
    cert.controlType = 0xFD;
    const std::string path =
        writeInput("KEYS.KEY", componentHeader(d) + keyBlock(k) + keyEntry(3, 0x0101) + keyEntry(7, 0x0101) +
                                   keyEntry(12, 0x0101) + signatureTrailer(cert));
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.report, reportHead(path) + descriptorLines("Key        ", '0', "00000000") +
                            "\nKEYS\n----          File format:        0101 (exponant:4 bytes)\n"
                            "              Repudiation area:   1234-5678-00 / [0029-000]\n"
                            "              Area identifier:    AREA1\n"
                            "              Continuity check:   On\n"
                            "              File version:       0205\n"
                            "              Number of keys:     3\n"
                            "              Keys number:        (3,7,12)\n" +
                            kTableHead + col24(" Application:KEYS") +
                            "      01020304 00000040 1234 F0FF-FFFF-00 10 FD\n" + "\n");
}

TEST(KelmdorReport, NestedSchemeGetsItsOwnLabelAndCrc)
{
    Certificate inner;
    inner.keyNumber = 0x50;
    inner.card = {0xAA, 0xBB, 0xCC, 0xDD};
    inner.varIdentity = 0x0102;
    inner.repudiated = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    inner.keySet = 0x11;
    inner.controlType = 0x11;
    const std::string content = std::string(40, 'i') + signatureTrailer(inner);
    Descriptor d;
    d.name = "OUTER.AGN";
    const std::string path = writeInput("OUTER.AGN", componentHeader(d) + std::string(20, 'c') +
                                                         schemeHeader("SUBAPP", static_cast<uint32_t>(content.size())) +
                                                         content + std::string(30, 'd') + signatureTrailer({}));
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.report, reportHead(path) + descriptorLines("Application", '0', "00000000") + kTableHead +
                            col24(" Scheme name:SUBAPP") + " " + hex4(referenceCrc(content)) +
                            " AABBCCDD 00000050 0102 0011-2233-44 11 11\n" + col24(" Application:OUTER") + "     " +
                            kDefaultColumns + "\n" + kShortSummary + "\n");
}

TEST(KelmdorReport, TwoVersionTextsBeforeOneCertificateShowTheLater)
{
    const std::string path =
        writeInput("MYAPP.AGN", componentHeader({}) + versionMarker("OLD") + "xx" + versionMarker("NEW 2") +
                                    std::string(10, 'c') + signatureTrailer({}));
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_NE(r.report.find(kDefaultColumns + " (SCHE_VERS:NEW 2)\n"), std::string::npos) << r.report;
    EXPECT_EQ(r.report.find("OLD"), std::string::npos);
}

// Without a descriptor the label is the file's base name and the CRC shows. Its range ends 256 bytes before
// the absolute offset of the 18-byte trailer that ends the certificate.
TEST(KelmdorReport, MissingDescriptorUsesBaseNameAndCrcUpToTrailerMinus256)
{
    const std::string file = std::string(104, 'N') + std::string(400, 'c') + signatureTrailer({});
    const size_t trailerStart = 104 + 400 + 60 + 260;
    const std::string path = writeInput("RAW.BIN", file);
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.report,
              reportHead(path) +
                  "DESCRIPTOR\n----------    Version: 4e4e4e4e (descriptor absent or version not supported )\n" +
                  kTableHead + col24("       Name :RAW") + " " +
                  hex4(referenceCrc(file.substr(0, trailerStart - 256))) + kDefaultColumns + "\n" + "\n");
}

std::string legacyHead(const std::string& path)
{
    return reportHead(path) + "                         CRC  Card Nb  Key Nb   Pf VI Key List \n";
}

TEST(KelmdorReport, LegacyFileWithoutNestedCertificate)
{
    LegacyBlock block;
    block.keyNumber = 2; // the CRC covers everything up to the end of the block
    const std::string file = lzssPack(std::string(300, 'b') + "hello") + legacyBlock(block);
    const std::string path = writeInput("LEGACY.SGN", file);
    const RunResult r = dumpToFile({"-m"}, path);
    EXPECT_EQ(r.report, legacyHead(path) + col24("       Name :LEGACY") + " " + hex4(referenceCrc(file)) +
                            " 11223344 00000002 05 07 FEFFFFFF7FFFFFFFFFFFFFFFFFFFFFFFE3\n" +
                            "\nApplication repudiation key :" + std::string(25, ' ') +
                            "FEFFFFFF7FFFFFFFFFFFFFFFFFFFFFFFE3 / [0524-003]\n");
}

TEST(KelmdorReport, LegacyFileWithNestedComponentAndsBothKeyLists)
{
    LegacyBlock outer;
    outer.keyNumber = 0x21;
    outer.card = {0x55, 0x66, 0x77, 0x88};
    outer.platform = 0x09;
    outer.reserved = 0x01;
    outer.keyList = {0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE1};
    const std::string body = std::string(300, 'b') + legacyBlock({}) + std::string(50, 'e');
    const std::string path = writeInput("LEGACY.SGN", lzssPack(body) + legacyBlock(outer));
    const RunResult r = dumpToFile({}, path);
    EXPECT_EQ(r.report, legacyHead(path) + col24("       Name :LEGACY") +
                            "      11223344 00000020 05 07 FEFFFFFF7FFFFFFFFFFFFFFFFFFFFFFFE3\n" +
                            col24("       Name :LEGACY") +
                            "      55667788 00000021 09 01 FF0FFFFFFFFFFFFFFFFFFFFFFFFFFFFFE1\n" +
                            "\nApplication repudiation key :" + std::string(25, ' ') +
                            "FE0FFFFF7FFFFFFFFFFFFFFFFFFFFFFFE1 / [0262-001]\n");
}

TEST(KelmdorReport, FilesWithoutRecognisedTrailer)
{
    struct Row {
        const char* what;
        std::string content;
        std::string body;
    };
    const Row rows[] = {
        {"empty", "", "\n"},
        {"shorter than a legacy block", std::string(547, 'q'), "\n"},
        {"560 bytes without the legacy marker", std::string(560, 'q'), "File without certificat\n\n"},
        {"700 bytes without an issuer", std::string(700, 'q'), "File without certificat\n\n"},
        {"900 bytes without an issuer", std::string(900, 'q'), "File without certificat\n\n"},
    };
    for (const Row& row : rows) {
        const std::string path = writeInput("NOCERT.BIN", row.content);
        const RunResult r = dumpToFile({}, path);
        EXPECT_EQ(r.exitCode, 0) << row.what;
        EXPECT_EQ(r.report, reportHead(path) + row.body) << row.what;
    }
}

TEST(KelmdorReport, LongTrailerSummaryLabelDependsOnProbe)
{
    Certificate cert;
    cert.versionMinor = 0x00; // 852-byte trailer: found only by the second probe unless -m skips the test
    const std::string path =
        writeInput("MYAPP.AGN", componentHeader({}) + std::string(100, 'c') + signatureTrailer(cert));
    const std::pair<std::vector<std::string>, size_t> rows[] = {{{}, 20}, {{"-m"}, 24}};
    for (const auto& [options, blanks] : rows) {
        const RunResult r = dumpToFile(options, path);
        const std::string summary =
            "\n Application repudiated keys:" + std::string(blanks, ' ') + "F0FF-FFFF-00 / [0032-000]\n";
        ASSERT_GE(r.report.size(), summary.size());
        EXPECT_EQ(r.report.substr(r.report.size() - summary.size()), summary) << blanks;
        EXPECT_NE(r.report.find(col24(" Application:MYAPP") + "     " + kDefaultColumns + "\n"), std::string::npos);
    }
}

} // namespace

namespace {

// Which bytes the first certificate's CRC covers: the file here has no descriptor, so the CRC shows.
TEST(KelmdorReport, CrcRangeOfTheFirstCertificate)
{
    struct Row {
        const char* what;
        uint32_t keyNumber;
        std::array<uint8_t, 4> card;
        bool wholeSignature; // to 262 bytes past the 18-byte trailer, else to 256 bytes before it
    };
    const Row rows[] = {
        {"key number 5", 5, {0x01, 0x02, 0x03, 0x04}, true},
        {"key number 32", 32, {0x01, 0x02, 0x03, 0x04}, true},
        {"key number 33", 33, {0x01, 0x02, 0x03, 0x04}, false},
        {"key number 0", 0, {0x01, 0x02, 0x03, 0x04}, false},
        {"card 00 03 C0 0E", 0x40, {0x00, 0x03, 0xC0, 0x0E}, true},
        {"card 00 03 C0 09 (legacy only)", 0x40, {0x00, 0x03, 0xC0, 0x09}, false},
    };
    for (const Row& row : rows) {
        Certificate c;
        c.keyNumber = row.keyNumber;
        c.card = row.card;
        // Bytes behind the signature keep the two ranges apart; -m lets such a file through the probe.
        const std::string file = std::string(104, 'N') + std::string(150, 'c') + signatureTrailer(c) + "extra bytes";
        const size_t trailer = 104 + 150 + 60 + 260;
        const size_t end = row.wholeSignature ? trailer + 18 + 262 : trailer - 256;
        const RunResult r = dumpToFile({"-m"}, writeInput("RAW.BIN", file));
        EXPECT_NE(r.report.find(col24("       Name :RAW") + " " + hex4(referenceCrc(file.substr(0, end))) + " "),
                  std::string::npos)
            << row.what << "\n"
            << r.report;
    }
}

TEST(KelmdorReport, MarkersThatDoNotMakeACertificate)
{
    Certificate unsupported;
    unsupported.versionMinor = 0x07;
    const std::string blank24(24, ' ');
    struct Row {
        const char* what;
        std::string code;
        std::string lines; // what comes before the trailer certificate's line
    };
    const Row rows[] = {
        {"issuer not followed by two dates", kIssuer + "0102202X31122030", ""},
        {"certificate of an unknown version", certificate(unsupported), "Certificat version not supported (0207)\n"},
        {"legacy marker without a digit date", "TARQO.FR  2023X102" + std::string(160, 'p'), ""},
        {"scheme header whose content does not end in a trailer", schemeHeader("NOPE", 100) + std::string(100, 's'),
         ""},
        {"legacy block inside a newer file", legacyBlock({}), blank24 + "      11223344 00000020 07\n"},
    };
    for (const Row& row : rows) {
        const std::string path =
            writeInput("MYAPP.AGN", componentHeader({}) + std::string(10, 'c') + row.code + signatureTrailer({}));
        const RunResult r = dumpToFile({"-m"}, path);
        EXPECT_EQ(r.report, reportHead(path) + descriptorLines("Application", '0', "00000000") + kTableHead +
                                row.lines + col24(" Application:MYAPP") + "     " + kDefaultColumns + "\n" +
                                kShortSummary + "\n")
            << row.what;
    }
}

TEST(KelmdorReport, LegacyRawVersionTextShowsSixteenCharacters)
{
    const std::string file = lzssPack(std::string(100, 'b')) + versionMarker("ABCDEFGHIJKLMNOPQRST") + legacyBlock({});
    const RunResult r = dumpToFile({}, writeInput("OLD.SGN", file));
    EXPECT_NE(r.report.find("FFFFFFFFFFFFE3 (SCHE_VERS:ABCDEFGHIJKLMNOP)\n"), std::string::npos) << r.report;
}

} // namespace
