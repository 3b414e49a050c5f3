#pragma once

#include "sigdump/ByteReader.h"

#include <cstdint>

namespace kelmdor {

// LZSS with a 4096-byte ring (18-byte longest match, threshold 2), as the terminal's packer writes it.
// Flag bytes are read least significant bit first: 1 = literal byte, 0 = a two-byte ring reference.
struct LzssLimits {
    static constexpr unsigned kRingSize = 4096;
    static constexpr unsigned kBlankFill = 4078; // ring bytes 0..4077 start as blanks, the rest as 0
};

// Decodes from `in` until `limit` packed bytes were consumed or the input ends; every decoded byte goes to out.
// Returns the number of packed bytes consumed.
uint64_t lzssUnpack(ByteReader& in, uint64_t limit, FdWriter& out);

} // namespace kelmdor
