#pragma once

// The one reader of numbers written as text in settings and files: the leading number of a text
// (optional blanks, sign, digits, optional fraction), rounded to a whole number with halves going to the
// even neighbour. No hexadecimal prefix and no exponent are read: "&H10" is no number, "1e3" reads as 1.

#include <QStringView>
#include <cstdint>

namespace jvz {

enum class VbNumberStatus {
    Ok,         // the text begins with a number that fits a signed 32-bit integer
    NoNumber,   // the text does not begin with a number; value is 0
    OutOfRange, // the number does not fit a signed 32-bit integer; value is 0, callers apply their default
};

struct VbInteger {
    VbNumberStatus status = VbNumberStatus::NoNumber;
    int32_t value = 0;
};

VbInteger readVbInteger(QStringView text);

// The value when the text begins with a number in range, else the fallback.
int32_t vbIntegerOr(QStringView text, int32_t fallback);

} // namespace jvz
