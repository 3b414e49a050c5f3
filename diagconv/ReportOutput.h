#pragma once

#include "platform/posix/PlainFiles.h"

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

// The report file under the rule shared by every program: a symbolic link is followed and its target
// replaced through a temporary sibling, a FIFO or a character device is written in place, a folder is refused,
// and anything else is replaced through a temporary sibling on commit, so a failed run never leaves a truncated
// report under the final name.
class FileOutput : public OutputTarget {
public:
    std::ostream* open(const std::string& path) override;
    bool commit() override;

private:
    jvzio::OutputFile m_file;
};

} // namespace diagconv
