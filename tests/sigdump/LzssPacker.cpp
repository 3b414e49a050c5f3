#include "LzssPacker.h"

#include <array>
#include <vector>

namespace sigtest {

std::string lzssPack(const std::string& plain)
{
    constexpr unsigned kRing = 4096, kMask = kRing - 1, kMaxLen = 18, kMinLen = 3, kStart = 4078;
    constexpr unsigned kChain = 32;
    // The packer searches the history of the plain text; positions map onto the ring as start + index.
    std::vector<uint8_t> text(plain.begin(), plain.end());
    std::vector<int> headOf(1 << 16, -1);
    std::vector<int> prev(kRing, -1); // only the last ring's worth of history is reachable
    auto hashAt = [&](size_t i) {
        return static_cast<unsigned>((text[i] << 8) ^ (text[i + 1] << 4) ^ text[i + 2]) & 0xFFFF;
    };

    std::string out;
    size_t flagPos = 0;
    int flagBit = 8;
    auto emitFlag = [&](bool literal) {
        if (flagBit == 8) {
            flagPos = out.size();
            out.push_back('\0');
            flagBit = 0;
        }
        if (literal)
            out[flagPos] = static_cast<char>(static_cast<uint8_t>(out[flagPos]) | (1u << flagBit));
        ++flagBit;
    };
    auto insert = [&](size_t i) {
        if (i + 2 < text.size()) {
            const unsigned h = hashAt(i);
            prev[i & kMask] = headOf[h];
            headOf[h] = static_cast<int>(i);
        }
    };

    size_t i = 0;
    while (i < text.size()) {
        unsigned bestLen = 0;
        size_t bestPos = 0;
        if (i + kMinLen <= text.size()) {
            unsigned chain = 0;
            for (int cand = headOf[hashAt(i)]; cand >= 0 && chain < kChain;
                 cand = prev[static_cast<size_t>(cand) & kMask], ++chain) {
                const size_t c = static_cast<size_t>(cand);
                // Stay far enough back that the copy never overwrites its own source in the ring; overlap with the
                // bytes being written is fine, the decoder repeats them.
                if (i - c > kRing - kMaxLen)
                    break;
                unsigned len = 0;
                while (len < kMaxLen && i + len < text.size() && text[c + len] == text[i + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestPos = c;
                    if (len == kMaxLen)
                        break;
                }
            }
        }
        if (bestLen >= kMinLen) {
            emitFlag(false);
            const unsigned ringPos = (kStart + static_cast<unsigned>(bestPos)) & kMask;
            out.push_back(static_cast<char>(ringPos & 0xFF));
            out.push_back(static_cast<char>(((ringPos >> 4) & 0xF0) | (bestLen - kMinLen)));
            for (unsigned k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            emitFlag(true);
            out.push_back(static_cast<char>(text[i]));
            insert(i);
            ++i;
        }
    }
    return out;
}

} // namespace sigtest
