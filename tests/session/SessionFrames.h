#pragma once

#include "core/ProgramInfo.h"
#include "session/SockProcessing.h"

#include <QByteArray>
#include <initializer_list>

namespace jvztest {

// Raw frame bytes written as numbers.
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

// A full terminal identification (41 bytes): product, protocol 0102, constructor CONSTRUC, boot B123,
// the contract kind and number C12345678, serial bytes 01 02 03 04 0A 0B 0C 0D, authorised activities 03 05.
inline QByteArray terminalIdentification(const QByteArray& product = "M40", char contractKind = '8')
{
    return bytes({16, 39}) + product + "0102" + "CONSTRUC" + "B123" + QByteArray(1, contractKind) + "C12345678" +
           bytes({0x01, 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x0C, 0x0D}) + bytes({0x03, 0x05});
}

// JVZ's identification for the version this build carries.
inline QByteArray ownIdentification()
{
    return jvz::SockProcessing::identificationFrame(jvz::programVersionMajor(), jvz::programVersionMinor()).bytes;
}

} // namespace jvztest
