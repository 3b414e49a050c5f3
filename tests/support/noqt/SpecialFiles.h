#pragma once

#include <string>

namespace jvztest {

// Files that are not plain files, made in a test's own scratch folder (never the machine's /dev nodes).
// mknod needs root, which the tests run as.
bool makeFifo(const std::string& path);
// A character device node with the numbers of the machine's endless devices: a null sink or a zero source.
enum class CharDevice { Null, Zero };
bool makeCharDevice(const std::string& path, CharDevice kind);
// A bound local socket's file (the socket itself is closed at once; its name stays).
bool makeSocketFile(const std::string& path);
bool isFifo(const std::string& path);
bool isCharDevice(const std::string& path);
bool isSymlinkTo(const std::string& path, const std::string& target);

// The reading end of a FIFO, opened without waiting for a writer so the program under test can open it for
// writing at once. readAll() takes what was written, once the writers are gone.
class FifoReader {
public:
    explicit FifoReader(const std::string& path);
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;
    bool isOpen() const { return m_fd >= 0; }
    std::string readAll();

private:
    int m_fd = -1;
};

} // namespace jvztest
