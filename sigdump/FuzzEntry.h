#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

namespace kelmdor {

// Dumps bytes held in memory as if they were a file, in table and in detail view (the fuzz target and its
// corpus replay call this). Scratch copies live in memory files.
void dumpFromMemory(const uint8_t* data, size_t size, std::ostream& report);

} // namespace kelmdor
