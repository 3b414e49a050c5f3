// Makes sample signed files with the test builders: seeds for the fuzz corpus, and the benchmark's large
// zipped component. Not a test; built on demand (target kelmdor_sample_maker).
#include "LzssPacker.h"
#include "SignedFileBuilder.h"
#include "sigdump/TextFormat.h"
#include "sigdump/Unpacker.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

using namespace sigtest;

namespace {

bool save(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

// Text-like code that packs about as well as real firmware: words from a small vocabulary and some noise.
std::string firmwareLike(size_t size, std::mt19937& rng)
{
    static const char* const words[] = {"MOV ", "JMP ", "CALL ", "RET\n", "PUSH ", "POP ", "R0,",  "R1,",
                                        "0x00", "0xFF", "LDR ",  "STR ",  "ADD ",  "SUB ", "CMP ", "BNE "};
    std::string s;
    s.reserve(size + 16);
    while (s.size() < size) {
        if (rng() % 8 == 0)
            s += static_cast<char>(rng());
        else
            s += words[rng() % 16];
    }
    s.resize(size);
    return s;
}

int makeCorpus(const std::string& dir)
{
    Certificate inner;
    inner.keyNumber = 5;
    const std::string content = std::string(40, 'i') + signatureTrailer(inner);
    Descriptor key;
    key.componentType = '4';
    KeyBlock kb;
    kb.declaredKeys = 2;
    Certificate old;
    old.versionMinor = 0;
    const std::pair<const char*, std::string> seeds[] = {
        {"plain", componentHeader({}) + std::string(64, 'c') + signatureTrailer({})},
        {"zipped", zippedComponent(versionMarker("1.0") + std::string(200, 'z'))},
        {"keys",
         componentHeader(key) + keyBlock(kb) + keyEntry(3, 0x0101) + keyEntry(9, 0x0101) + signatureTrailer({})},
        {"nested", componentHeader({}) + schemeHeader("SUB", static_cast<uint32_t>(content.size())) + content +
                       signatureTrailer({})},
        {"long_trailer", componentHeader({}) + signatureTrailer(old)},
        {"legacy", lzssPack(std::string(100, 'b') + legacyBlock({})) + legacyBlock({})},
        {"no_descriptor", std::string(120, 'N') + signatureTrailer({})},
        {"small", "TARQO.FR  12345678"},
    };
    for (const auto& [name, bytes] : seeds)
        if (!save(dir + "/" + name, bytes))
            return 1;
    return 0;
}

int makeBench(const std::string& signedPath, const std::string& plainPath, size_t mib)
{
    std::mt19937 rng(1);
    const std::string code = firmwareLike(mib << 20, rng);
    return save(signedPath, zippedComponent(code)) && save(plainPath, code) ? 0 : 1;
}

// Times the unpacking of a zipped component alone (into a nameless scratch file).
int timeUnpack(const std::string& signedPath)
{
    auto input = kelmdor::FdSource::openRegularFile(signedPath);
    if (!input)
        return 1;
    uint8_t size[8];
    input->readZeroFilled(72, size, sizeof size);
    kelmdor::PosixFileSystem fs;
    const auto start = std::chrono::steady_clock::now();
    auto unpacked =
        kelmdor::unpackToScratch(*input, kelmdor::UnpackMode::ComponentCode, kelmdor::hexFieldValue(size, 8), fs);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!unpacked)
        return 1;
    const double mb = static_cast<double>(unpacked->size()) / 1e6;
    std::printf("unpacked %.1f MB in %.3f s: %.0f MB/s\n", mb, seconds, mb / seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "corpus" && argc == 3)
        return makeCorpus(argv[2]);
    if (mode == "bench" && argc == 5)
        return makeBench(argv[2], argv[3], std::strtoul(argv[4], nullptr, 10));
    if (mode == "time-unpack" && argc == 3)
        return timeUnpack(argv[2]);
    std::fprintf(stderr, "usage: kelmdor_sample_maker corpus DIR | bench SIGNED PLAIN MIB | time-unpack SIGNED\n");
    return 2;
}
