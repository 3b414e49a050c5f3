// Fuzz target: any bytes as an application-default file.
#include "diagconv/Vitrane.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream report;
    diagconv::vitrane::writeReport(in, report);
    return 0;
}
