#pragma once

#include "ReportOutput.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace diagconv {

// What a converter run needs from its surroundings; tests replace each part.
struct RunEnv {
    // Console mode pauses here after the report; empty means no pause.
    std::function<void()> waitForKey;
    // Makes the output for the report file; empty means real files (FileOutput).
    std::function<std::unique_ptr<OutputTarget>()> makeOutput;
    // Folder that relative paths and Orbeck's default output refer to; empty means the process's own.
    std::string currentDir;
};

// The real surroundings: key press on standard input, real files, the process's current folder.
RunEnv systemEnv();

// The folder of RunEnv::currentDir, or the process's current folder when that is empty.
std::string currentDirOf(const RunEnv& env);

// The path as the program opens it: a relative path is taken below RunEnv::currentDir when that is set.
std::string resolvePath(const RunEnv& env, const std::string& path);

std::unique_ptr<OutputTarget> makeOutputOf(const RunEnv& env);

// The largest diagnostic file read; real ones are a few kilobytes.
inline constexpr std::size_t kMaxInputBytes = 16 * 1024 * 1024;

// What the converters say after the path of an input over the ceiling.
inline constexpr const char* kInputTooLargeText = " is larger than the 16 MiB limit";

enum class InputOpen { Opened, NotOpened, TooLarge };

// Reads an input file whole for binary reading. Only a regular file within the ceiling: a folder, a FIFO or a
// device counts as a file that cannot be opened, so nothing is read for ever; a larger file is told apart, as
// it exists and the user needs to hear why it is refused.
InputOpen openInputFile(const std::string& path, std::istringstream& in);

// True when the output path names the input file itself (however spelt): the report would destroy it.
bool isInputFile(const std::string& inputPath, const std::string& outputPath);

} // namespace diagconv
