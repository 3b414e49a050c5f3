#include "ConsoleKey.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace diagconv {

void waitForKeyPress(int fd)
{
    if (!isatty(fd))
        return;
    termios saved{};
    if (tcgetattr(fd, &saved) != 0)
        return;
    termios raw = saved;
    // ISIG off too: Ctrl-C then counts as the key instead of killing us with echo left off.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &raw) != 0)
        return;
    unsigned char key = 0;
    ssize_t got = 0;
    do {
        got = read(fd, &key, 1);
    } while (got < 0 && errno == EINTR);
    tcsetattr(fd, TCSANOW, &saved);
}

} // namespace diagconv
