#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelmdor {

// Random access to the bytes of a file being dumped. Offsets past the end read nothing.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual int64_t size() const = 0;
    // Copies up to n bytes from offset into dst; returns how many were copied (fewer at the end).
    virtual size_t readAt(int64_t offset, uint8_t* dst, size_t n) const = 0;

    // Fills all n bytes: those past the end become 0. Returns how many came from the file.
    size_t readZeroFilled(int64_t offset, uint8_t* dst, size_t n) const;
    // True when the file holds exactly these bytes at offset (false when offset is negative or too far).
    bool holdsAt(int64_t offset, std::string_view bytes) const;
};

// A regular file read with pread, so the file is never loaded whole.
class FdSource : public ByteSource {
public:
    // Null when the path cannot be opened for reading or is not a regular file.
    static std::unique_ptr<FdSource> openRegularFile(const std::string& path);
    // Takes ownership of fd.
    explicit FdSource(int fd);
    ~FdSource() override;
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;

    int64_t size() const override { return m_size; }
    size_t readAt(int64_t offset, uint8_t* dst, size_t n) const override;
    // Takes the size again after the file has been written through the descriptor.
    void refreshSize();
    int fd() const { return m_fd; }

private:
    int m_fd;
    int64_t m_size = 0;
};

// Bytes held by the caller; used by the fuzz target.
class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int64_t size() const override { return static_cast<int64_t>(m_size); }
    size_t readAt(int64_t offset, uint8_t* dst, size_t n) const override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace kelmdor
