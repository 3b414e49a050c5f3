// libFuzzer target for the signed-file parser: every input is dumped in both views from memory, then once more
// as the program reads it, from a file into a report file.
#include "FuzzInputFile.h"
#include "sigdump/FuzzEntry.h"
#include "sigdump/Kelmdor.h"

#include <sstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ostringstream report;
    kelmdor::dumpFromMemory(data, size, report);

    const std::string& input = jvzfuzz::writeInputFile(data, size);
    const std::string output = input + ".txt";
    std::ostringstream out;
    std::ostringstream err;
    kelmdor::run({input, output}, out, err);
    unlink(output.c_str());
    return 0;
}
