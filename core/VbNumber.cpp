#include "VbNumber.h"

namespace jvz {

namespace {
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

VbInteger readVbInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Magnitude kept exactly; anything past 2^31 is out of range whatever follows.
    constexpr int64_t kCeiling = int64_t(1) << 31;
    int64_t magnitude = 0;
    bool tooBig = false;
    bool anyDigit = false;
    while (i < n && isDigit(text[i])) {
        anyDigit = true;
        if (!tooBig) {
            magnitude = magnitude * 10 + (text[i].unicode() - u'0');
            tooBig = magnitude > kCeiling;
        }
        ++i;
    }
    // Rounding of the fraction, exact in decimal: above, below or exactly one half.
    int firstFraction = -1;
    bool restNonZero = false;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            anyDigit = true;
            const int d = text[i].unicode() - u'0';
            if (firstFraction < 0)
                firstFraction = d;
            else if (d != 0)
                restNonZero = true;
            ++i;
        }
    }
    if (!anyDigit)
        return {VbNumberStatus::NoNumber, 0};
    if (tooBig)
        return {VbNumberStatus::OutOfRange, 0};
    bool roundUp = false;
    if (firstFraction > 5 || (firstFraction == 5 && restNonZero))
        roundUp = true;
    else if (firstFraction == 5)
        roundUp = (magnitude % 2) != 0;
    if (roundUp)
        ++magnitude;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN)
        return {VbNumberStatus::OutOfRange, 0};
    return {VbNumberStatus::Ok, int32_t(value)};
}

int32_t vbIntegerOr(QStringView text, int32_t fallback)
{
    const VbInteger r = readVbInteger(text);
    return r.status == VbNumberStatus::Ok ? r.value : fallback;
}

} // namespace jvz
