#pragma once

#include "RunEnv.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Vitrane: an application-default diagnostic file as a dated list of default codes.
namespace diagconv::vitrane {

void writeReport(std::istream& in, std::ostream& report);

// args as argv: the program, the input path, optionally the output path.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const RunEnv& env);

} // namespace diagconv::vitrane
