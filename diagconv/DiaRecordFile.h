#pragma once

#include "DiaDate.h"
#include "RunEnv.h"

#include <array>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace diagconv {

// Both record converters read a 5-byte timestamp header and then 8-byte records up to the end of the file.
inline constexpr std::size_t kDiaRecordSize = 8;
using DiaRecord = std::array<std::uint8_t, kDiaRecordSize>;

inline constexpr const char* kRecordConverterVersion = "01.01";

// The header; bytes missing from a file shorter than the header read as 0.
DiaTimestamp readDiaHeader(std::istream& in);

// The next complete record; false at the end of the file (a shorter last piece is ignored).
bool readDiaRecord(std::istream& in, DiaRecord& record);

std::uint16_t littleEndian16(const std::uint8_t* bytes);
std::uint32_t littleEndian32(const std::uint8_t* bytes);

// What tells the two record converters apart on the command line and in their messages.
struct RecordConverter {
    const char* title;       // banner and report title, "AppDefault" or "AppCounter"
    const char* programName; // as the usage text names the program
    void (*writeReport)(std::istream& in, std::ostream& report);
};

// The shared command line: input path, optional output path. Exit codes: 0 done, 1 input cannot be
// opened or is over the ceiling, 2 output cannot be opened (or the report could not be stored), 6 no argument.
// args[0] is the program as typed, as in argv.
int runRecordConverter(const RecordConverter& converter, const std::vector<std::string>& args, std::ostream& out,
                       const RunEnv& env);

} // namespace diagconv
