#pragma once

#include "platform/FtpClient.h"

namespace jvztest {

// The FTP client's bounds cut for hostile terminals: 1 s of silence, 2 s for a whole listing, 200 B/s over every
// 2 s of a transfer.
inline constexpr jvz::FtpTimeouts kHostileBounds{1000, 1, 2, 200, 2};

// The hostile bounds with the control files' own total bound and cap.
constexpr jvz::FtpTimeouts hostileControlFileBounds(int totalSeconds, qint64 maxBytes)
{
    jvz::FtpTimeouts bounds = kHostileBounds;
    bounds.controlFileTotalSeconds = totalSeconds;
    bounds.controlFileMaxBytes = maxBytes;
    return bounds;
}

} // namespace jvztest
