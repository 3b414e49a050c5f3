// Leaf routines of the dumper: CRC-16, code tables, page texts, label names and the LZSS unpacker.
#include "LzssPacker.h"
#include "SignedFileBuilder.h"
#include "TestEnv.h"
#include "sigdump/ByteReader.h"
#include "sigdump/CodeTables.h"
#include "sigdump/Crc16.h"
#include "sigdump/LzssDecoder.h"
#include "sigdump/TextFormat.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

uint16_t crcOf(const std::string& s)
{
    return kelmdor::crc16(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(KelmdorCrc16, KnownVectors)
{
    // CRC-16/ARC check values with their bytes swapped, as the report prints them.
    EXPECT_EQ(crcOf(""), 0x0000);
    EXPECT_EQ(crcOf("abc"), 0x3897);       // ARC 0x9738
    EXPECT_EQ(crcOf("123456789"), 0x3DBB); // ARC 0xBB3D, the catalogue check value
}

TEST(KelmdorCrc16, ByteAtATimeEqualsWholeRangeOverRandomBuffers)
{
    std::mt19937 rng(7);
    for (size_t len : {1u, 2u, 17u, 255u, 4096u}) {
        std::string buf(len, '\0');
        for (auto& c : buf)
            c = static_cast<char>(rng());
        uint16_t running = 0;
        for (unsigned char c : buf)
            running = kelmdor::crc16(running, &c, 1);
        EXPECT_EQ(running, sigtest::referenceCrc(buf)) << len;
        EXPECT_EQ(crcOf(buf), sigtest::referenceCrc(buf)) << len;
    }
}

TEST(KelmdorCodeTables, LabelsAndUnknownCodes)
{
    struct Row {
        std::string (*describe)(uint8_t);
        uint8_t code;
        const char* text;
    };
    const Row rows[] = {
        {kelmdor::componentTypeLabel, '0', "Parameter"},
        {kelmdor::componentTypeLabel, '1', "Application"},
        {kelmdor::componentTypeLabel, '2', "Library    "},
        {kelmdor::componentTypeLabel, '3', "Driver     "},
        {kelmdor::componentTypeLabel, '4', "Key        "},
        {kelmdor::componentTypeLabel, '7', "07"},
        {kelmdor::componentTypeLabel, 'A', "11"},
        {kelmdor::hashingAlgorithmLabel, 1, "SHA-1"},
        {kelmdor::hashingAlgorithmLabel, 2, "SHA tarqo"},
        {kelmdor::hashingAlgorithmLabel, 3, "SHA 256 SOFT"},
        {kelmdor::hashingAlgorithmLabel, 4, "SHA 256 HARD"},
        {kelmdor::hashingAlgorithmLabel, 0, "00           "},
        {kelmdor::encipheringTypeLabel, 1, "1024-BIT RSA"},
        {kelmdor::encipheringTypeLabel, 2, "2048-BIT RSA SOFT"},
        {kelmdor::encipheringTypeLabel, 3, "2048-BIT RSA HARD"},
        {kelmdor::encipheringTypeLabel, 0xAB, "AB           "},
        {kelmdor::keySetLabel, 0x10, "KBG initial boot glimmox II"},
        {kelmdor::keySetLabel, 0x11, "KBV initial boot vorbane III"},
        {kelmdor::keySetLabel, 0x12, "KV,KC,KD initial keypad Sorvel40"},
        {kelmdor::keySetLabel, 0x13, "13           "},
        {kelmdor::controlTypeLabel, 0x11, "nested signature"},
        {kelmdor::controlTypeLabel, 0x12, "boot glimmox II"},
        {kelmdor::controlTypeLabel, 0x13, "keypad Sorvel40"},
        {kelmdor::controlTypeLabel, 0x15, "boot vorbane III"},
        {kelmdor::controlTypeLabel, 0xFD, "key file"},
        {kelmdor::controlTypeLabel, 0xFE, "glimmox Sorvel40 system"},
        {kelmdor::controlTypeLabel, 0xFF, "keypad Sorvel40 system"},
        {kelmdor::controlTypeLabel, 0x14, "14"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.describe(r.code), r.text) << int(r.code);
}

TEST(KelmdorPageText, AreaRule)
{
    struct Row {
        std::array<uint8_t, 5> area;
        const char* text;
    };
    const Row rows[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x00}, "[0032-000]"},
        {{0x12, 0x34, 0x56, 0x78, 0x00}, "[0029-000]"}, // 0x78 ends in three zero bits
        {{0x80, 0x00, 0x00, 0x00, 0x00}, "[0001-000]"},
        {{0x00, 0x00, 0x00, 0x00, 0x00}, "[0000-000]"},
        {{0xAA, 0xBB, 0x00, 0x01, 0x02}, "[0064-002]"}, // page 2: (2+2)*16 - 0
        {{0x00, 0x00, 0x01, 0x00, 0x01}, "[0040-001]"}, // 48 - 8
        {{0x00, 0x00, 0x00, 0x00, 0xFF}, "[4096-255]"}, // (255+2)*16 - 16
    };
    for (const Row& r : rows)
        EXPECT_EQ(kelmdor::areaPageText(r.area.data()), r.text);
}

TEST(KelmdorPageText, MaskRule)
{
    std::array<uint8_t, 17> mask{};
    EXPECT_EQ(kelmdor::maskPageText(mask.data()), "[0000-000]");
    mask.fill(0xFF); // page count 31, last bit 131 (the five page bits do not count)
    EXPECT_EQ(kelmdor::maskPageText(mask.data()), "[4192-031]");
    mask.fill(0);
    mask[0] = 0x80; // first bit only
    mask[16] = 0x02;
    EXPECT_EQ(kelmdor::maskPageText(mask.data()), "[0003-002]");
    mask[5] = 0x01; // bit 48
    EXPECT_EQ(kelmdor::maskPageText(mask.data()), "[0144-002]");
}

TEST(KelmdorLabelBaseName, CutsAtTheNamesOwnLastDot)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/data/APP.AGN", "APP"},
        {"APP.V2.AGN", "APP.V2"},
        {"C:\\terminal\\KEYS.SGN", "KEYS"},
        {"/data/NODOT", ""},
        {"/data.d/NODOT", ""}, // the only dot is in a folder name
        {"/mixed\\sub/NAME.X", "NAME"},
        {"", ""},
    };
    for (const auto& [path, name] : rows)
        EXPECT_EQ(kelmdor::labelBaseName(path), name) << path;
}

TEST(KelmdorHexField, ReadsDigitsAndCountsOtherBytesAsZero)
{
    const std::pair<std::string, uint32_t> rows[] = {
        {"0101", 0x0101}, {"FFFF", 0xFFFF}, {"00ab", 0x0000}, {"1G2 ", 0x1020}, {"0000012C", 0x12C}};
    for (const auto& [text, value] : rows)
        EXPECT_EQ(kelmdor::hexFieldValue(reinterpret_cast<const uint8_t*>(text.data()), text.size()), value) << text;
}

// Unpacks through the real scratch-file path so the reader/writer buffering takes part.
std::string unpack(const std::string& packed, uint64_t limit)
{
    kelmdor::MemorySource in(reinterpret_cast<const uint8_t*>(packed.data()), packed.size());
    kelmdor::ByteReader reader(in, 7); // a tiny buffer crosses refills inside reference pairs
    const std::string path = jvztest::makeScratchDir("lzss") + "/out";
    const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC | O_CLOEXEC, 0600);
    kelmdor::FdWriter writer(fd, 5);
    kelmdor::lzssUnpack(reader, limit, writer);
    EXPECT_TRUE(writer.flush());
    ::close(fd);
    return jvztest::readFileBytes(path);
}

std::string bytes(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v)
        s += static_cast<char>(b);
    return s;
}

TEST(KelmdorLzss, HandMadeStreams)
{
    struct Row {
        const char* what;
        std::string packed;
        uint64_t limit; // 0: the stream's own length
        std::string plain;
    };
    // Ring position 4078 = 0xFEE: c1 0xEE, c2 high nibble 0xF.
    const Row rows[] = {
        {"literals only", bytes({0xFF}) + "ABCDEFGH" + bytes({0x01}) + "I", 0, "ABCDEFGHI"},
        {"reference into the blank-primed ring before any output", bytes({0x00, 0x00, 0x02}), 0, "     "},
        {"ring bytes past the blank area start as zero", bytes({0x00, 0xF0, 0xF0}), 0, std::string(3, '\0')},
        {"overlapping reference repeats the bytes being written", bytes({0x03}) + "ab" + bytes({0xEE, 0xF7}), 0,
         "ab" + std::string("ababababab")},
        {"reference wrapping past 4095 continues at 0", bytes({0x00, 0xFE, 0xF2}), 0, std::string(2, '\0') + "   "},
        {"stream ending on a flag byte writes nothing for it", bytes({0x01}) + "Z" + bytes({0xFF}), 0, "Z"},
        {"first byte of a reference pair at the end is dropped", bytes({0x01}) + "Z" + bytes({0x00}), 0, "Z"},
        {"limit reached inside a reference pair", bytes({0x01}) + "Q" + bytes({0x00, 0x00}), 3, "Q"},
        {"limit stops before later data", bytes({0xFF}) + "ABCD", 3, "AB"},
        {"limit larger than the data stops at its end", bytes({0xFF}) + "AB", 1000, "AB"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(unpack(r.packed, r.limit ? r.limit : r.packed.size()), r.plain) << r.what;
}

TEST(KelmdorLzss, PackerRoundTripOverRandomBuffers)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 24; ++round) {
        const size_t len = rng() % 20000;
        const int alphabet = 1 + static_cast<int>(rng() % (round % 3 == 0 ? 256 : 4));
        std::string plain(len, '\0');
        for (auto& c : plain)
            c = static_cast<char>(rng() % alphabet + (round % 2 ? ' ' : 0));
        const std::string packed = sigtest::lzssPack(plain);
        EXPECT_EQ(unpack(packed, packed.size()), plain) << "round " << round << " length " << len;
    }
}

TEST(KelmdorLzss, PackerUsesReferencesOnRepetitiveText)
{
    const std::string plain(10000, 'x');
    const std::string packed = sigtest::lzssPack(plain);
    EXPECT_LT(packed.size(), plain.size() / 5);
    EXPECT_EQ(unpack(packed, packed.size()), plain);
}

} // namespace
