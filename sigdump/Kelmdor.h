#pragma once

#include "sigdump/FileSystem.h"

#include <ostream>
#include <string>
#include <vector>

namespace kelmdor {

// Exit codes of the program.
enum class ExitCode : int {
    Done = 0,             // report written (also after the usage or an input that could not be read)
    OutputNotWritten = 5, // the output file could not be created or written
};

// Runs the program on its arguments (without the program name): options, the input file, an optional output
// file. Console text goes to out; without an output file the report goes there too.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, FileSystem& fs);

} // namespace kelmdor
