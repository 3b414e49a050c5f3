#pragma once

#include "ReportOutput.h"

#include <fstream>
#include <functional>
#include <memory>
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

// Opens an input file for binary reading; a folder counts as a file that cannot be opened.
bool openInputFile(const std::string& path, std::ifstream& in);

} // namespace diagconv
