#pragma once

#include "RunEnv.h"
#include "SecurityReport.h"

#include <ostream>
#include <string>
#include <vector>

// Orbeck: the security processor's diagnostic file as a readable report.
namespace diagconv::orbeck {

inline constexpr const char* kToolVersion = "01.03";
inline constexpr const char* kFullViewOption = "/wk&";
inline constexpr const char* kDefaultOutputName = "vorbaneA.dia";
inline constexpr std::size_t kMaxOutputPath = 255;

// Every absolute path starts with "/" here, so the option is a word that starts with "/" and holds no
// other "/" (such as "/wk&"); "/abs/out.dia" is a path.
bool isOptionArgument(const std::string& argument);

View viewForOption(const std::string& option);

// args as argv: the program as typed, the diagnostic file, then up to two of output path and option.
// Exit codes: 0 done, -1 syntax, -2 input not found or over the ceiling, -3 output cannot be written.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const RunEnv& env);

} // namespace diagconv::orbeck
