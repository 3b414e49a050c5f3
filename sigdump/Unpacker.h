#pragma once

#include "sigdump/ByteSource.h"
#include "sigdump/FileSystem.h"

#include <cstdint>
#include <memory>

namespace kelmdor {

enum class UnpackMode {
    WholeFile,     // legacy files: everything from offset 0 is packed
    ComponentCode, // newer components: skip the 224-byte header, unpack the code, copy the rest unchanged
};

constexpr int64_t kComponentHeaderSize = 224;

// Writes the unpacked copy to a nameless scratch file and returns it ready for reading; null when no scratch
// file could be made or written.
std::unique_ptr<FdSource> unpackToScratch(const ByteSource& input, UnpackMode mode, uint64_t packedSize,
                                          FileSystem& fs);

} // namespace kelmdor
