#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace diagconv {

// Five stored bytes: three date numbers in stored order, hours, minutes.
using DiaTimestamp = std::array<std::uint8_t, 5>;

// Tulmane's header takes the bytes as signed (128..255 print as -128..-1); Vitrane as unsigned.
enum class ByteSign { Unsigned, Signed };

// Room enough for either date text: each piece but the last is cut at the next one's position, and the
// last ("%02d" of -128, " %02dmin\n" of -128) ends at most 9 characters after position 12.
inline constexpr std::size_t kLongestDateText = 24;

// The texts below written into text (kLongestDateText characters at least); return their length.
std::size_t layHeaderDate(char* text, const DiaTimestamp& stamp, ByteSign sign);
std::size_t layRecordDate(char* text, const DiaTimestamp& stamp, ByteSign sign);

// "dd/mm/yy hhh mmmin\n": the header line of both converters.
std::string headerDateText(const DiaTimestamp& stamp, ByteSign sign);

// "dd/mm/yy hh:mm": the date column of an application-default record.
std::string recordDateText(const DiaTimestamp& stamp, ByteSign sign);

} // namespace diagconv
