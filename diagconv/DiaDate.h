#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace diagconv {

// Five stored bytes: three date numbers in stored order, hours, minutes.
using DiaTimestamp = std::array<std::uint8_t, 5>;

// Tulmane's header takes the bytes as signed (128..255 print as -128..-1); Vitrane as unsigned.
enum class ByteSign { Unsigned, Signed };

// "dd/mm/yy hhh mmmin\n": the header line of both converters.
std::string headerDateText(const DiaTimestamp& stamp, ByteSign sign);

// "dd/mm/yy hh:mm": the date column of an application-default record.
std::string recordDateText(const DiaTimestamp& stamp, ByteSign sign);

} // namespace diagconv
