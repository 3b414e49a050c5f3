#pragma once

#include <cstdint>

namespace jvz {

// Monotonic milliseconds. Passed in wherever a duration is measured, so tests can move time themselves.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t monotonicMs() const = 0;
};

// The machine's monotonic clock (unaffected by changes of the wall-clock time).
class SteadyClock : public Clock {
public:
    uint64_t monotonicMs() const override;
};

} // namespace jvz
