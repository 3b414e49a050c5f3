#pragma once

#include "sigdump/ByteSource.h"
#include "sigdump/CertificateScanner.h"
#include "sigdump/FileSystem.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace kelmdor {

struct DumpSettings {
    bool detailView = false; // option x
    bool mockupMode = false; // option m: no issuer test at the end of the file
    std::string inputPath;   // as given; labels use its base name
};

struct NewerDumpResult {
    bool ok = false;           // false when the unpacked copy could not be made
    uint8_t componentType = 0; // descriptor byte 22
    uint32_t descriptorVersion = 0;
};

extern const char* const kScratchFailureText;

// Descriptor, key block and certificates of a newer signed file.
NewerDumpResult dumpNewer(const DumpSettings& settings, const ByteSource& input, std::ostream& report,
                          RepudiationMask& mask, FileSystem& fs);

// Both passes of a legacy file: over its unpacked copy, then over the file itself. False when the unpacked
// copy could not be made.
bool dumpLegacy(const DumpSettings& settings, const ByteSource& input, std::ostream& report, RepudiationMask& mask,
                FileSystem& fs);

// Chooses the format by the trailer at the end of the file and writes the dump and its summary line.
void writeDump(const DumpSettings& settings, const ByteSource& input, std::ostream& report, FileSystem& fs);

} // namespace kelmdor
