#pragma once

#include <string>

namespace sigtest {

// Test-only LZSS packer producing what the terminal's packer writes: 4096-byte ring primed with blanks up to
// 4077, write position 4078, flag bytes least significant bit first (1 literal, 0 reference), references of
// 3..18 bytes as (position low byte, position high nibble << 4 | length - 3).
std::string lzssPack(const std::string& plain);

} // namespace sigtest
