#pragma once

#include <cstdlib>

namespace jvztest {

// An upper bound a test puts on elapsed time, stretched for slower builds: the sanitized build's ctest sets
// JVZ_TEST_TIME_SCALE, the one place a bound is scaled. Waits the code itself bounds are never scaled.
inline long long timeBoundMs(long long ms)
{
    static const double scale = [] {
        const char* text = std::getenv("JVZ_TEST_TIME_SCALE");
        const double value = text ? std::atof(text) : 1.0;
        return value > 1.0 ? value : 1.0;
    }();
    return static_cast<long long>(static_cast<double>(ms) * scale);
}

} // namespace jvztest
