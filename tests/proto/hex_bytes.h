// Byte arrays as spaced upper-case hexadecimal text ("0A 02 52 00") and back,
// so expected encodings read as they are written in the wire format.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char digits[4];
  for (uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

inline std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  std::istringstream in(hex);
  std::string pair;
  while (in >> pair) bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}
