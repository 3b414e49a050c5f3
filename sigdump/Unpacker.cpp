#include "sigdump/Unpacker.h"

#include "sigdump/ByteReader.h"
#include "sigdump/LzssDecoder.h"

#include <algorithm>
#include <vector>

namespace kelmdor {

std::unique_ptr<FdSource> unpackToScratch(const ByteSource& input, UnpackMode mode, uint64_t packedSize, FileSystem& fs)
{
    const int fd = fs.createScratch();
    if (fd < 0)
        return nullptr;
    auto scratch = std::make_unique<FdSource>(fd);
    ByteReader in(input);
    FdWriter out(fd);
    const int64_t size = input.size();
    if (mode == UnpackMode::WholeFile) {
        lzssUnpack(in, static_cast<uint64_t>(size), out);
    } else {
        in.seek(kComponentHeaderSize);
        lzssUnpack(in, packedSize, out);
        // What follows the packed code (data, trailer) is copied as it stands; nothing when the sizes overrun.
        const int64_t rest =
            size - static_cast<int64_t>(std::min<uint64_t>(packedSize, INT64_MAX / 2)) - kComponentHeaderSize;
        std::vector<uint8_t> chunk(64 * 1024);
        for (int64_t left = rest; left > 0;) {
            const size_t got = in.read(chunk.data(), static_cast<size_t>(std::min<int64_t>(left, chunk.size())));
            if (got == 0)
                break;
            out.write(chunk.data(), got);
            left -= static_cast<int64_t>(got);
        }
    }
    if (!out.flush())
        return nullptr;
    scratch->refreshSize();
    return scratch;
}

} // namespace kelmdor
