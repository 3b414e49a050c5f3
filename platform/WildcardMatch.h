#pragma once

// Wildcard matching where "*" takes any run and every other pattern item takes exactly one character.
// Greedy, with one resume point: the last "*" seen. Since every other item is one character wide, a later
// "*" can absorb whatever an earlier one would have, so going back further never finds a match the last
// one misses. Time is bounded by name length times pattern length, never exponential.

#include <cstddef>

namespace jvz {

// isStar(p): pattern item p is a "*". matchOne(p, n): item p takes character n of the name.
template <typename IsStar, typename MatchOne>
bool wildcardMatch(std::size_t nameSize, std::size_t patternSize, IsStar isStar, MatchOne matchOne)
{
    std::size_t n = 0, p = 0, starN = 0;
    std::size_t starP = patternSize; // none yet
    while (n < nameSize) {
        if (p < patternSize && isStar(p)) {
            starP = p++;
            starN = n;
        } else if (p < patternSize && matchOne(p, n)) {
            ++n;
            ++p;
        } else if (starP < patternSize) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternSize && isStar(p))
        ++p;
    return p == patternSize;
}

} // namespace jvz
