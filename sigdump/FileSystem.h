#pragma once

#include "sigdump/ByteSource.h"

#include <memory>
#include <ostream>
#include <string>

namespace kelmdor {

// The report file. Text goes to a temporary sibling that replaces the target only on commit, so a failed
// run never leaves a truncated report under the final name.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual std::ostream& stream() = 0;
    // Flushes and moves the text into place; false when anything failed to be written.
    virtual bool commit() = 0;
};

// What the dumper needs of the file system; tests pass a double to make writes fail.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null when the input cannot be opened for reading.
    virtual std::unique_ptr<ByteSource> openInput(const std::string& path) = 0;
    // Null when the report file cannot be created.
    virtual std::unique_ptr<OutputFile> createOutput(const std::string& path) = 0;
    // A read-write file with no name (nothing is left behind, no user file is touched); -1 when impossible.
    virtual int createScratch() = 0;
};

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<ByteSource> openInput(const std::string& path) override;
    std::unique_ptr<OutputFile> createOutput(const std::string& path) override;
    int createScratch() override;
};

} // namespace kelmdor
