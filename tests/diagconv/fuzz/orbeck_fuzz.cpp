// Fuzz target: any bytes as a security processor diagnostic file, in both views.
#include "diagconv/SecurityReport.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    for (const auto view : {diagconv::orbeck::View::User, diagconv::orbeck::View::Full}) {
        std::istringstream in(file);
        std::ostringstream report;
        diagconv::orbeck::writeSecurityReport(in, report, view);
    }
    return 0;
}
