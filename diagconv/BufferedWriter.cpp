#include "BufferedWriter.h"

#include <cstring>

namespace diagconv {

BufferedWriter::BufferedWriter(std::ostream& out, std::size_t capacity) : m_out(out), m_buffer(capacity) {}

BufferedWriter::~BufferedWriter()
{
    flush();
}

void BufferedWriter::append(const char* text, std::size_t count)
{
    if (count > m_buffer.size()) {
        flush();
        m_out.write(text, static_cast<std::streamsize>(count));
        return;
    }
    std::memcpy(reserve(count), text, count);
    commit(count);
}

void BufferedWriter::flush()
{
    if (m_used > 0)
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_used));
    m_used = 0;
}

} // namespace diagconv
