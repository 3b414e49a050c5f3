#pragma once

namespace diagconv {

// Waits for one key press on the terminal open on fd, without echo, and restores the terminal's mode.
// Returns at once when fd is not a terminal (a pipe, a file, /dev/null), so scripts never hang.
void waitForKeyPress(int fd);

} // namespace diagconv
