#pragma once

#include <cstdint>
#include <string>

namespace kelmdor {

// Labels of the coded fields as the report prints them; unknown codes print as their hexadecimal value.
std::string componentTypeLabel(uint8_t typeDigit);
std::string hashingAlgorithmLabel(uint8_t code);
std::string encipheringTypeLabel(uint8_t code);
std::string keySetLabel(uint8_t code);
std::string controlTypeLabel(uint8_t code);

// "[NNNN-PPP]" page texts of a repudiation area (five bytes) and of the 17-byte repudiation mask.
std::string areaPageText(const uint8_t* area);
std::string maskPageText(const uint8_t* mask);

} // namespace kelmdor
