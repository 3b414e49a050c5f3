#pragma once

#include "sigdump/FileSystem.h"

#include <string>
#include <vector>

namespace sigtest {

struct RunResult {
    int exitCode = -1;
    std::string console; // what went to standard output
    std::string report;  // the output file, empty when none was written
};

// Writes `content` as `name` in a fresh folder and returns its path.
std::string writeInput(const std::string& name, const std::string& content);

// Runs the dumper in-process with the options, the input and an output file beside it.
RunResult dumpToFile(const std::vector<std::string>& options, const std::string& inputPath);
RunResult dumpToFile(const std::vector<std::string>& options, const std::string& inputPath, kelmdor::FileSystem& fs);

// The report text the banner and checked-file line start with.
std::string reportHead(const std::string& inputPath);

// A real file system whose writes can be made to fail.
class FaultyFileSystem : public kelmdor::PosixFileSystem {
public:
    bool failScratch = false;       // no scratch file can be made
    bool scratchWritesFail = false; // the scratch file refuses writes
    bool outputOpenFails = false;   // the report file cannot be created
    long outputFailsAfter = -1;     // the report file refuses writes after this many bytes (-1: never)

    int createScratch() override;
    std::unique_ptr<kelmdor::OutputFile> createOutput(const std::string& path) override;
};

std::vector<std::string> folderListing(const std::string& folder);

} // namespace sigtest
