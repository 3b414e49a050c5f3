#include "sigdump/LzssDecoder.h"

#include <array>

namespace kelmdor {

uint64_t lzssUnpack(ByteReader& in, uint64_t limit, FdWriter& out)
{
    constexpr unsigned kMask = LzssLimits::kRingSize - 1;
    std::array<uint8_t, LzssLimits::kRingSize> ring{};
    for (unsigned i = 0; i < LzssLimits::kBlankFill; ++i)
        ring[i] = ' ';
    unsigned writePos = LzssLimits::kBlankFill;
    unsigned flags = 0;
    uint64_t consumed = 0;
    // Decoded bytes gather here; one item adds at most 18, so the room check is once per item.
    constexpr size_t kChunk = 64 * 1024;
    std::array<uint8_t, kChunk> chunk;
    size_t used = 0;

    while (consumed < limit) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            const int f = in.get();
            if (f < 0)
                break;
            ++consumed;
            flags = static_cast<unsigned>(f) | 0xFF00;
            if (consumed >= limit)
                break;
        }
        const int c = in.get();
        if (c < 0)
            break;
        ++consumed;
        if (used > kChunk - 18) {
            out.write(chunk.data(), used);
            used = 0;
        }
        if (flags & 1) {
            chunk[used++] = static_cast<uint8_t>(c);
            ring[writePos] = static_cast<uint8_t>(c);
            writePos = (writePos + 1) & kMask;
            continue;
        }
        if (consumed >= limit)
            break; // the reference pair is incomplete
        const int c2 = in.get();
        if (c2 < 0)
            break;
        ++consumed;
        const unsigned source = static_cast<unsigned>(c) | ((static_cast<unsigned>(c2) & 0xF0) << 4);
        const unsigned length = (static_cast<unsigned>(c2) & 0x0F) + 3;
        // Byte by byte on purpose: a source overlapping the write position repeats what was just written.
        for (unsigned k = 0; k < length; ++k) {
            const uint8_t b = ring[(source + k) & kMask];
            chunk[used++] = b;
            ring[writePos] = b;
            writePos = (writePos + 1) & kMask;
        }
    }
    out.write(chunk.data(), used);
    return consumed;
}

} // namespace kelmdor
