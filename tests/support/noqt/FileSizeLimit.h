#pragma once

#include <functional>

namespace jvztest {

// Makes writes fail for real, also as root (chmod does not stop root): runs body in a child process whose
// files may not grow past limitBytes, with SIGXFSZ ignored so a write past the limit fails with EFBIG.
// Returns the child's exit code (body's result, 0-255), or -1 when the child did not exit normally.
// Keep body free of locks other threads may hold (no logging through Qt, no new threads).
int runWithFileSizeLimit(long limitBytes, const std::function<int()>& body);

} // namespace jvztest
