#include "platform/sim/unicode_fold.h"

#include <algorithm>

namespace {

// Decodes one UTF-8 sequence at text[i]; a malformed byte stands for itself.
char32_t NextCodePoint(const std::string& text, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length <= 1 || i + length > text.size()) {
    ++i;
    return lead;
  }
  char32_t code = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return lead;
    }
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return code;
}

char32_t FoldCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    // Latin Extended-A pairs capitals and small letters; the run 0x139-0x148 and
    // 0x179-0x17E put the capital on the odd code point.
    bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    bool isCapital = oddCapital ? (c % 2 == 1) : (c % 2 == 0);
    return isCapital ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

std::u32string FoldCase(const std::string& utf8) {
  std::u32string folded;
  folded.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) folded.push_back(FoldCodePoint(NextCodePoint(utf8, i)));
  return folded;
}

int CompareFolded(const std::string& a, const std::string& b) {
  // Code point by code point, as comparing the two folded texts would, without building them.
  size_t i = 0, k = 0;
  while (i < a.size() && k < b.size()) {
    const char32_t ca = FoldCodePoint(NextCodePoint(a, i));
    const char32_t cb = FoldCodePoint(NextCodePoint(b, k));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  return k < b.size() ? -1 : 0;
}
