#include "sigdump/FuzzEntry.h"

#include "sigdump/SignedFileDump.h"

#include <sys/mman.h>

namespace kelmdor {

namespace {

class MemoryScratchFileSystem : public PosixFileSystem {
public:
    int createScratch() override
    {
        const int fd = ::memfd_create("kelmdor-scratch", MFD_CLOEXEC);
        return fd >= 0 ? fd : PosixFileSystem::createScratch();
    }
};

} // namespace

void dumpFromMemory(const uint8_t* data, size_t size, std::ostream& report)
{
    MemoryScratchFileSystem fs;
    const MemorySource input(data, size);
    DumpSettings settings;
    settings.inputPath = "C:\\fuzz.d/FUZZ.BIN";
    writeDump(settings, input, report, fs);
    settings.detailView = true;
    settings.mockupMode = true;
    writeDump(settings, input, report, fs);
}

} // namespace kelmdor
