#pragma once

#include <cstddef>
#include <ostream>
#include <vector>

namespace diagconv {

// Collects a report's text in a block of its own and hands it to the stream a block at a time, so a line
// is formatted straight into place instead of through a string and the stream's per-call checks.
// Whatever is left goes out on flush() or at destruction.
class BufferedWriter {
public:
    explicit BufferedWriter(std::ostream& out, std::size_t capacity = 64 * 1024);
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;
    ~BufferedWriter();

    // Room for at least count characters (count no more than the capacity), to be filled and then
    // committed.
    char* reserve(std::size_t count)
    {
        if (m_buffer.size() - m_used < count)
            flush();
        return m_buffer.data() + m_used;
    }
    void commit(std::size_t count) { m_used += count; }
    void append(const char* text, std::size_t count);

    void flush();

private:
    std::ostream& m_out;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};

} // namespace diagconv
