#include "Cp1252.h"

#include <array>

namespace jvz::Cp1252 {

namespace {
// 0x80-0x9F; the undefined 0x81, 0x8D, 0x8F, 0x90 and 0x9D keep their C1 code point.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
} // namespace

QChar toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kHigh[byte - 0x80]);
    return QChar(char16_t(byte));
}

int fromUnicode(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == u)
            return int(0x80 + i);
    }
    return -1;
}

QString decode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        out.append(toUnicode(static_cast<unsigned char>(b)));
    return out;
}

QByteArray encode(QStringView text, bool* lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool all = true;
    for (const QChar c : text) {
        const int b = fromUnicode(c);
        if (b < 0) {
            all = false;
            out.append('?');
        } else {
            out.append(char(b));
        }
    }
    if (lossless)
        *lossless = all;
    return out;
}

QChar toUpper(QChar c)
{
    const QChar upper = c.toUpper();
    return fromUnicode(upper) < 0 ? c : upper;
}

QString toUpper(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        out.append(toUpper(c));
    return out;
}

} // namespace jvz::Cp1252
