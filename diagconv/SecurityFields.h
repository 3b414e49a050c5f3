#pragma once

#include <array>
#include <string>

namespace diagconv::orbeck {

// How a 32-bit field of the security diagnostic block is shown.
enum class FieldKind { Hex, Milliseconds, MillisecondsTimes20, Date, Time };

struct SecurityField {
    const char* name;
    FieldKind kind;
    bool userView; // shown without the full-view option
};

inline constexpr std::size_t kSecurityFieldCount = 49;

// Fields 1..49 in block order (index 0 is field 1).
const std::array<SecurityField, kSecurityFieldCount>& securityFields();

// The field's name padded with blanks to 27 characters, then ": ".
std::string fieldLabel(const SecurityField& field);

} // namespace diagconv::orbeck
