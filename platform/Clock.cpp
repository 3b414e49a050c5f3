#include "platform/Clock.h"

#include <chrono>

namespace jvz {

uint64_t SteadyClock::monotonicMs() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace jvz
