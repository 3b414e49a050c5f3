#pragma once

// Parsers that read a file get the fuzz input through one scratch file per process, rewritten for each input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace jvzfuzz {

inline const std::string& inputFilePath()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/jvz-fuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            std::abort();
        close(fd);
        std::atexit([] { unlink(inputFilePath().c_str()); });
        return pattern;
    }();
    return path;
}

// Writes the input to the scratch file and returns its path.
inline const std::string& writeInputFile(const uint8_t* data, size_t size)
{
    const std::string& path = inputFilePath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

} // namespace jvzfuzz
