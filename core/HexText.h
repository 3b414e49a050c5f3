#pragma once

// Conversions between characters (one Windows-1252 byte each) or bytes and hexadecimal text, for frame
// traces and the terminal configuration record. Never reads past the end of what it is given.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace jvz {

class Notifier;

// The text of the report for a character that is not a hexadecimal digit.
QString nonHexDigitMessage(QChar c);

// Value of one hexadecimal digit (either case); any other character is reported (through the notifier,
// or the log when there is none) and gives 0.
int ConvAscInt(QChar c, Notifier* notifier = nullptr);

// Upper-cases hex in place, then decodes it two digits per character; an odd last digit is ignored. A
// character that is not a hexadecimal digit is reported once and gives the empty text.
QString toUnDouble(QString& hex, Notifier* notifier = nullptr);

// Strict decoding for data that must not be built from bad input: every character a hexadecimal digit
// (either case) and an even count, else nothing.
std::optional<QByteArray> hexToBytes(QStringView hex);

// Each character's code as two upper-case digits, high nibble first ("AB" gives "4142").
QString ToHexText(QStringView s);

// The first count bytes (at most all of them) as upper-case hex; a count below 1 gives the empty text.
void BytesToHex(int count, QByteArrayView bytes, QString& result);
QString BytesToHex(QByteArrayView bytes, int count);

// Upper-case hex without leading zeros (a negative value as its 8-digit two's complement); with a width,
// padded with zeros or cut to the last width digits.
QString HexPad(int32_t value, std::optional<int> width = std::nullopt);

// 0-9 become "0"-"9", 10-15 "A"-"F", 16-255 the character of that code; n receives the character's code.
QChar HexDigit(int& n);

// Everything before the first NUL character.
QString TrimNull(const QString& s);
QByteArray TrimNull(const QByteArray& s);

} // namespace jvz
