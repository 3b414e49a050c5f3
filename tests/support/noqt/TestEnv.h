#pragma once

#include <string>

namespace jvztest {

// Each test process gets its own scratch root, with HOME, the XDG folders and TMPDIR pointed inside it,
// so tests that run side by side (as root, in /root on CI) never share per-user files.
// Call once at process start; the folder is removed at exit.
void isolateProcessEnvironment();

// The scratch root of this process (empty before isolateProcessEnvironment).
const std::string& processScratchRoot();

// A fresh, empty folder below the scratch root, named after the hint. Never reused within a process.
std::string makeScratchDir(const std::string& hint = "dir");

// Writes bytes to a file, creating parent folders. Returns false on failure.
bool writeFileBytes(const std::string& path, const std::string& bytes);

// Reads a whole file; empty when it cannot be read.
std::string readFileBytes(const std::string& path);

bool fileExists(const std::string& path);

} // namespace jvztest
