#pragma once

#include <string>

namespace diagconv {

// printf-style formatting into a string of whatever length the values need.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace diagconv
