// Turns the bytes of an INF file (UTF-16LE, UTF-8 or an ANSI code page) into UTF-8.
#include "inf_text.h"

#include <cstdint>

namespace qvserver {

namespace {

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string utf16le_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit_at = [&](size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t unit = unit_at(i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      std::uint32_t low = unit_at(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;  // lone surrogate
    append_utf8(out, unit);
  }
  return out;
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
  std::string out;
  for (char c : bytes) append_utf8(out, static_cast<unsigned char>(c));
  return out;
}

}  // namespace qvserver
