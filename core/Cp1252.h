#pragma once

// The program's 8-bit text code page (Windows-1252), made bijective over 0x00-0xFF: the five bytes the
// code page leaves undefined map to the C1 controls of the same number, so any byte survives a round trip.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace jvz::Cp1252 {

// The character of one byte.
QChar toUnicode(unsigned char byte);

// The byte of one character, or -1 when the code page has none for it.
int fromUnicode(QChar c);

QString decode(QByteArrayView bytes);

// Characters without a byte become '?'; lossless (when given) tells whether that happened.
QByteArray encode(QStringView text, bool* lossless = nullptr);

// Upper case per character; a character whose upper case is not a single character of the code page
// stays as it is, so the length and the bytes of the text stay in step.
QChar toUpper(QChar c);
QString toUpper(QStringView text);

} // namespace jvz::Cp1252
