#include "sigdump/ByteReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kelmdor {

ByteReader::ByteReader(const ByteSource& source, size_t bufferSize) : m_source(source), m_buffer(bufferSize) {}

void ByteReader::seek(int64_t offset)
{
    offset = std::max<int64_t>(offset, 0);
    if (offset >= m_bufferStart && offset <= m_bufferStart + static_cast<int64_t>(m_length)) {
        m_index = static_cast<size_t>(offset - m_bufferStart);
        return;
    }
    m_bufferStart = offset;
    m_index = 0;
    m_length = 0;
}

int ByteReader::refill()
{
    m_bufferStart += static_cast<int64_t>(m_index);
    m_index = 0;
    m_length = m_source.readAt(m_bufferStart, m_buffer.data(), m_buffer.size());
    if (m_length == 0)
        return -1;
    return m_buffer[m_index++];
}

int64_t ByteReader::skipWhile(const std::array<bool, 256>& skippable)
{
    int64_t skipped = 0;
    for (;;) {
        const uint8_t* p = m_buffer.data() + m_index;
        const uint8_t* end = m_buffer.data() + m_length;
        const uint8_t* q = p;
        while (q < end && skippable[*q])
            ++q;
        skipped += q - p;
        m_index = static_cast<size_t>(q - m_buffer.data());
        if (q < end || refill() < 0)
            return skipped;
        --m_index; // refill consumed the first new byte; look at it again
    }
}

size_t ByteReader::read(uint8_t* dst, size_t n)
{
    size_t done = 0;
    while (done < n) {
        if (m_index == m_length && refill() >= 0)
            --m_index; // refill consumed one byte; give it back to the copy below
        const size_t avail = m_length - m_index;
        if (avail == 0)
            break;
        const size_t take = std::min(avail, n - done);
        std::memcpy(dst + done, m_buffer.data() + m_index, take);
        m_index += take;
        done += take;
    }
    std::memset(dst + done, 0, n - done);
    return done;
}

FdWriter::FdWriter(int fd, size_t bufferSize) : m_fd(fd), m_buffer(bufferSize) {}

void FdWriter::write(const uint8_t* data, size_t n)
{
    while (n > 0) {
        if (m_used == m_buffer.size())
            flushBuffer();
        const size_t take = std::min(n, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, data, take);
        m_used += take;
        data += take;
        n -= take;
    }
}

void FdWriter::flushBuffer()
{
    size_t done = 0;
    while (!m_failed && done < m_used) {
        const ssize_t w = ::write(m_fd, m_buffer.data() + done, m_used - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            m_failed = true;
        else
            done += static_cast<size_t>(w);
    }
    m_used = 0;
}

bool FdWriter::flush()
{
    flushBuffer();
    return !m_failed;
}

} // namespace kelmdor
