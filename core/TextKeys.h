#pragma once

#include <span>
#include <string_view>

namespace jvz {

// A text the code reads from the language file: a key in a window's section (its form name), or in
// [General] when the section is "General". A window's own look-ups fall back to [General], so a key listed
// under a window may live in either.
struct TextKey {
    std::string_view section;
    std::string_view key;
};

using TextKeyList = std::span<const TextKey>;

inline constexpr std::string_view kGeneralTexts = "General";

} // namespace jvz
