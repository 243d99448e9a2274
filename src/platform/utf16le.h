// UTF-16 text as the device-installation port carries it: UTF-16LE byte buffers
// and char16_t arrays, converted to and from the program's UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
inline std::string Utf16ToUtf8(const char16_t* text, size_t length) {
  std::string result;
  for (size_t i = 0; i < length; ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      result += static_cast<char>(code);
    } else if (code < 0x800) {
      result += static_cast<char>(0xC0 | (code >> 6));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      result += static_cast<char>(0xE0 | (code >> 12));
      result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | (code >> 18));
      result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return result;
}

// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD.
inline std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string result;
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    size_t extra = byte < 0x80 ? 0 : (byte >> 5) == 0x6 ? 1 : (byte >> 4) == 0xE ? 2 : (byte >> 3) == 0x1E ? 3 : 4;
    uint32_t code = extra == 0 ? byte : extra == 1 ? (byte & 0x1F) : extra == 2 ? (byte & 0x0F) : (byte & 0x07);
    bool valid = extra < 4;
    for (size_t k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) valid = false;
      else code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (!valid || code > 0x10FFFF) {
      result += u'\xFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      result += static_cast<char16_t>(0xD800 + (code >> 10));
      result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      result += static_cast<char16_t>(code);
    }
  }
  return result;
}

// The code units of a UTF-16LE byte buffer (an odd last byte is ignored).
inline std::u16string Utf16LeUnits(const uint8_t* bytes, size_t size) {
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return units;
}

// UTF-16LE bytes of code units.
inline std::vector<uint8_t> Utf16LeBytes(const std::u16string& units) {
  std::vector<uint8_t> bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

// A REG_SZ value as stored: UTF-16LE with its terminator.
inline std::vector<uint8_t> RegSzBytes(const std::string& text) {
  std::u16string units = Utf8ToUtf16(text);
  units.push_back(u'\0');
  return Utf16LeBytes(units);
}

// A REG_MULTI_SZ value as stored: each string with its terminator, then the list's.
inline std::vector<uint8_t> RegMultiSzBytes(const std::vector<std::string>& texts) {
  std::u16string units;
  for (const auto& text : texts) {
    units += Utf8ToUtf16(text);
    units.push_back(u'\0');
  }
  units.push_back(u'\0');
  return Utf16LeBytes(units);
}
