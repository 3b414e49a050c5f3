#pragma once

#include <istream>
#include <ostream>

namespace diagconv::orbeck {

// User view shows the fields flagged for users; full view (the full-view option) shows all 49.
enum class View { User, Full };

// Shown for a field whose characters are missing because the hexadecimal block ends early.
inline constexpr const char* kMissingFieldMarker = "(missing)";

// Turns the security processor's diagnostic text into the report: the 22 header lines, the trap-reset
// lines, the block's text part and its fields. Every line of the report ends in CR LF.
void writeSecurityReport(std::istream& in, std::ostream& report, View view);

} // namespace diagconv::orbeck
