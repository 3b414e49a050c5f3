#include "HexText.h"

#include "CoreLog.h"
#include "Cp1252.h"
#include "platform/Notifier.h"

#include <QCoreApplication>

namespace jvz {

namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

constexpr char kDigits[] = "0123456789ABCDEF";

void appendHexByte(QString& out, unsigned char b)
{
    out.append(QLatin1Char(kDigits[b >> 4]));
    out.append(QLatin1Char(kDigits[b & 0x0F]));
}

void reportNonHex(QChar c, Notifier* notifier)
{
    const QString text = nonHexDigitMessage(c);
    if (notifier)
        notifier->message(text, QCoreApplication::applicationName(), MessageIcon::Exclamation, MessageButtons::Ok);
    else
        qCWarning(jvzCore) << text;
}

} // namespace

QString nonHexDigitMessage(QChar c)
{
    return QString::fromUtf8("ConvAscInt: conversion d'un caract\xc3\xa8re non hexadecimal : ") + c;
}

int ConvAscInt(QChar c, Notifier* notifier)
{
    const int v = digitValue(c);
    if (v >= 0)
        return v;
    reportNonHex(c, notifier);
    return 0;
}

QString toUnDouble(QString& hex, Notifier* notifier)
{
    if (hex.isEmpty())
        return {};
    hex = Cp1252::toUpper(hex);
    const qsizetype pairs = hex.size() / 2;
    QByteArray bytes;
    bytes.reserve(pairs);
    for (qsizetype i = 0; i < pairs; ++i) {
        const QChar hi = hex[2 * i];
        const QChar lo = hex[2 * i + 1];
        const int h = digitValue(hi);
        const int l = digitValue(lo);
        if (h < 0 || l < 0) {
            reportNonHex(h < 0 ? hi : lo, notifier);
            return {};
        }
        bytes.append(char(h * 16 + l));
    }
    return Cp1252::decode(bytes);
}

std::optional<QByteArray> hexToBytes(QStringView hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        const int h = digitValue(hex[i]);
        const int l = digitValue(hex[i + 1]);
        if (h < 0 || l < 0)
            return std::nullopt;
        bytes.append(char(h * 16 + l));
    }
    return bytes;
}

QString ToHexText(QStringView s)
{
    return BytesToHex(Cp1252::encode(s), int(s.size()));
}

void BytesToHex(int count, QByteArrayView bytes, QString& result)
{
    result.clear();
    const qsizetype n = std::min<qsizetype>(count, bytes.size());
    result.reserve(n > 0 ? 2 * n : 0);
    for (qsizetype i = 0; i < n; ++i)
        appendHexByte(result, static_cast<unsigned char>(bytes[i]));
}

QString BytesToHex(QByteArrayView bytes, int count)
{
    QString out;
    BytesToHex(count, bytes, out);
    return out;
}

QString HexPad(int32_t value, std::optional<int> width)
{
    const QString text = QString::number(static_cast<uint32_t>(value), 16).toUpper();
    if (!width)
        return text;
    if (*width <= 0)
        return {};
    return (QString(*width, u'0') + text).right(*width);
}

QChar HexDigit(int& n)
{
    QChar c;
    if (n >= 0 && n < 16)
        c = QLatin1Char(kDigits[n]);
    else if (n >= 16 && n <= 255)
        c = Cp1252::toUnicode(static_cast<unsigned char>(n));
    else
        c = u'?'; // no character of the code page has that code
    n = Cp1252::fromUnicode(c);
    return c;
}

QString TrimNull(const QString& s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

QByteArray TrimNull(const QByteArray& s)
{
    const qsizetype nul = s.indexOf('\0');
    return nul < 0 ? s : s.left(nul);
}

} // namespace jvz
