#pragma once

#include <fstream>
#include <memory>
#include <ostream>
#include <string>

namespace diagconv {

// Where a converter's report goes. open() says whether the path can take the report; commit() stores it.
class OutputTarget {
public:
    virtual ~OutputTarget() = default;
    // The stream to write the report to, or nullptr when the output cannot be opened.
    virtual std::ostream* open(const std::string& path) = 0;
    // False when the report could not be stored whole; the old file, if any, is then left untouched.
    virtual bool commit() = 0;
};

// Writes a temporary file beside the target and renames it over the target on commit, so a failed run
// never leaves a truncated report under the final name. An existing device or pipe is written directly.
class FileOutput : public OutputTarget {
public:
    FileOutput() = default;
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;
    ~FileOutput() override;

    std::ostream* open(const std::string& path) override;
    bool commit() override;

private:
    void dropTemporary();

    std::ofstream m_stream;
    std::string m_target;
    std::string m_temporary;
};

} // namespace diagconv
