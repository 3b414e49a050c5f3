#pragma once

// Files the user names to the console programs and to the result file, without Qt so that every program
// shares one rule:
// - an input is read only when it is a regular file, and never past a ceiling, so a FIFO, a device or a
//   folder is refused at once instead of being read for ever;
// - an output that is a symbolic link is followed and its target replaced through a temporary sibling (the
//   link stays); a FIFO or a character device is written in place (it cannot be replaced, nor should it be);
//   a folder, a block device or a socket is refused; anything else is replaced through a temporary sibling,
//   so a failed run never leaves a truncated file under the final name.

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace jvzio {

enum class InputStatus { Read, Missing, NotAFile, TooLarge, Failed };

// Opens a regular file for reading (links followed): looked at before it is opened, so a device is never opened,
// and opened without waiting, so a FIFO swapped in meanwhile cannot hold the caller. The descriptor, or -1 with
// the reason in status (Missing, NotAFile, Failed) and errno as the system left it.
int openRegularInput(const std::string& path, InputStatus& status);
// Reads the whole regular file into bytes (cleared first).
InputStatus readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// True when both paths name one existing file (same device and inode, links followed), however spelt.
bool sameFile(const std::string& a, const std::string& b);

enum class OutputKind {
    Replace, // a regular file or a new name: temporary sibling, then rename
    InPlace, // a FIFO or a character device
    Refused, // a folder, a block device, a socket, or a path that cannot be looked at
};

struct OutputPlan {
    OutputKind kind = OutputKind::Refused;
    std::string target; // the file written: the path itself, or the end of its chain of links
    int error = 0;      // errno for a refusal
};

OutputPlan planOutput(const std::string& path);

// A stream buffer over a descriptor; a failed write shows in the stream's state.
class FdStreamBuf : public std::streambuf {
public:
    explicit FdStreamBuf(int fd = -1);
    void setFd(int fd) { m_fd = fd; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool drain();

    int m_fd;
    std::vector<char> m_buffer;
};

// One output under the rule above. Dropping it without commit() removes the temporary file; so does SIGINT,
// SIGTERM or SIGHUP while it is open (the signal then ends the process as it would have).
class OutputFile {
public:
    OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // False (errno in error()) when the path cannot take the output.
    bool open(const std::string& path);
    std::ostream& stream() { return m_stream; }
    // Flushes and puts the text in place; false, with the old file untouched, when anything failed.
    bool commit();
    int error() const { return m_error; }
    // The temporary file while one is open (empty otherwise), for tests.
    const std::string& temporaryPath() const { return m_temporary; }

private:
    void discard();

    int m_fd = -1;
    int m_error = 0;
    std::string m_target;
    std::string m_temporary;
    FdStreamBuf m_buffer;
    std::ostream m_stream;
};

} // namespace jvzio
