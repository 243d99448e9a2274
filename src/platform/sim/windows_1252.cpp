#include "platform/sim/windows_1252.h"

#include <cstdint>

namespace {

// The characters of bytes 80h to 9Fh; the rest of the code page equals Latin-1.
constexpr char16_t HIGH_CONTROL_RANGE[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& text, char16_t character) {
  if (character < 0x80) {
    text += static_cast<char>(character);
  } else if (character < 0x800) {
    text += static_cast<char>(0xC0 | (character >> 6));
    text += static_cast<char>(0x80 | (character & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (character >> 12));
    text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (character & 0x3F));
  }
}

}  // namespace

std::string Windows1252ToUtf8(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char byte : bytes) {
    const auto value = static_cast<uint8_t>(byte);
    AppendUtf8(text, value >= 0x80 && value < 0xA0 ? HIGH_CONTROL_RANGE[value - 0x80] : char16_t{value});
  }
  return text;
}
