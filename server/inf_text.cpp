// Turns the bytes of an INF file (UTF-16LE, UTF-8 or an ANSI code page) into UTF-8.
#include "inf_text.h"

#include <cstdint>

#include "platform/utf16le.h"

namespace qvserver {

namespace {

std::string utf16le_to_utf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return Utf16ToUtf8(units.data(), units.size());
}

bool is_valid_utf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::string inf_text_to_utf8(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16le_to_utf8(bytes.substr(2));
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return utf16le_to_utf8(bytes);
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (is_valid_utf8(bytes)) return std::string(bytes);
  std::u16string latin1;  // each byte is the code point of the same number
  for (char c : bytes) latin1 += static_cast<char16_t>(static_cast<unsigned char>(c));
  return Utf16ToUtf8(latin1.data(), latin1.size());
}

}  // namespace qvserver
