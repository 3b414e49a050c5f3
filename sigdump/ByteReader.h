#pragma once

#include "sigdump/ByteSource.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelmdor {

// Sequential, seekable reading of a ByteSource through one fixed buffer: the byte scan and the unpacker read
// files of any size with constant memory.
class ByteReader {
public:
    explicit ByteReader(const ByteSource& source, size_t bufferSize = 64 * 1024);

    // The next byte, or -1 at the end (the position then stays where it is).
    int get()
    {
        if (m_index < m_length)
            return m_buffer[m_index++];
        return refill();
    }
    int64_t tell() const { return m_bufferStart + static_cast<int64_t>(m_index); }
    // Any offset >= 0 may be set; reads past the end return nothing.
    void seek(int64_t offset);
    void skip(int64_t count) { seek(tell() + count); }
    // Reads up to n bytes; the rest of dst (when the end came first) is set to 0. Returns the count read.
    size_t read(uint8_t* dst, size_t n);
    const ByteSource& source() const { return m_source; }
    // Moves past every byte for which skippable[byte] is set; returns how many were passed.
    int64_t skipWhile(const std::array<bool, 256>& skippable);

private:
    int refill();

    const ByteSource& m_source;
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    size_t m_index = 0;
    size_t m_length = 0;
};

// Buffered writing to a file descriptor; remembers the first failure.
class FdWriter {
public:
    explicit FdWriter(int fd, size_t bufferSize = 64 * 1024);
    void put(uint8_t byte)
    {
        if (m_used == m_buffer.size())
            flushBuffer();
        m_buffer[m_used++] = byte;
    }
    void write(const uint8_t* data, size_t n);
    // Writes what is buffered; false when any write failed.
    bool flush();
    bool failed() const { return m_failed; }

private:
    void flushBuffer();

    int m_fd;
    std::vector<uint8_t> m_buffer;
    size_t m_used = 0;
    bool m_failed = false;
};

} // namespace kelmdor
