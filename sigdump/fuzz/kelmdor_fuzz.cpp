// libFuzzer target for the signed-file parser: every input is dumped in both views.
#include "sigdump/FuzzEntry.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ostringstream report;
    kelmdor::dumpFromMemory(data, size, report);
    return 0;
}
