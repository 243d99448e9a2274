#include "proto/utf8_text.h"

#include <cstring>

namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at bytes[0], or 0 when none starts there.
size_t ValidSequenceLength(const uint8_t* bytes, size_t left) {
  uint8_t lead = bytes[0];
  if (lead < 0x80) return 1;
  size_t length;
  uint8_t low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < length || bytes[1] < low || bytes[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(bytes[i])) return 0;
  return length;
}

// Length of the leading run of ASCII bytes, eight at a time where possible.
size_t AsciiPrefix(const uint8_t* bytes, size_t size) {
  size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + at, 8);
    if (word & 0x8080808080808080ull) break;
  }
  while (at < size && bytes[at] < 0x80) ++at;
  return at;
}

}  // namespace

std::string DecodeUtf8(const uint8_t* bytes, size_t size) {
  size_t at = AsciiPrefix(bytes, size);  // ASCII needs no checks
  while (at < size) {
    size_t length = ValidSequenceLength(bytes + at, size - at);
    if (length == 0) break;
    at += length;
  }
  if (at == size) return std::string(reinterpret_cast<const char*>(bytes), size);

  std::string text(reinterpret_cast<const char*>(bytes), at);
  while (at < size) {
    size_t length = ValidSequenceLength(bytes + at, size - at);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      ++at;
    } else {
      text.append(reinterpret_cast<const char*>(bytes + at), length);
      at += length;
    }
  }
  return text;
}
