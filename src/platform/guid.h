// A GUID in the memory layout of the Windows structure (Data1, Data2 and Data3
// little-endian, then the 8 bytes of Data4), and its text form parsed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

using TGuid = std::array<uint8_t, 16>;

// For each pair of hexadecimal digits of the text, in order, the byte of the GUID
// it stands for.
constexpr size_t GUID_TEXT_BYTE_ORDER[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without the enclosing braces,
// digits in either case; nothing for any other text.
constexpr std::optional<TGuid> ParseGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  TGuid guid{};
  size_t at = 0;
  for (size_t index : GUID_TEXT_BYTE_ORDER) {
    if ((at == 8 || at == 13 || at == 18 || at == 23) && text[at++] != '-') return std::nullopt;
    const int high = HexDigitValue(text[at]);
    const int low = HexDigitValue(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    guid[index] = static_cast<uint8_t>(high << 4 | low);
    at += 2;
  }
  return guid;
}
