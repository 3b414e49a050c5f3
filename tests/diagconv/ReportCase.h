#pragma once

#include <istream>
#include <ostream>
#include <sstream>
#include <string>

namespace diagtest {

// One row of a golden-report table: an input file and the whole report expected from it.
struct ReportCase {
    const char* what;
    std::string file;
    std::string expected;
};

inline void PrintTo(const ReportCase& c, std::ostream* os)
{
    *os << c.what;
}

using ReportWriter = void (*)(std::istream&, std::ostream&);

inline std::string reportOf(ReportWriter writer, const std::string& file)
{
    std::istringstream in(file);
    std::ostringstream out;
    writer(in, out);
    return out.str();
}

} // namespace diagtest
