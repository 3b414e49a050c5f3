#pragma once

#include <QString>

namespace jvztest {

// Copies the built program folder (the programs, libYeldrin.so, the data files and ras/) into target, keeping
// permissions, so a test runs the real program where only what the test gave it is found. False when a file
// could not be copied.
bool copyProgramFolder(const QString& target);

} // namespace jvztest
