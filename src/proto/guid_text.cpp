#include "proto/guid_text.h"

#include "proto/proto_errors.h"

namespace {

// Order in which the bytes appear in the text: Data1..Data3 reversed (little-endian).
constexpr int kTextOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
// Character positions where a hyphen stands in the braced form.
constexpr bool IsHyphenPosition(size_t at) { return at == 9 || at == 14 || at == 19 || at == 24; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string GuidToString(const TGuid& guid) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "{";
  for (int i = 0; i < 16; ++i) {
    if (IsHyphenPosition(text.size())) text += '-';
    uint8_t byte = guid[static_cast<size_t>(kTextOrder[i])];
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text + "}";
}

TGuid StringToGuid(const std::string& text) {
  auto invalid = [&text] { return EGuidConvertError("'" + text + "' is not a valid GUID value"); };
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') throw invalid();
  TGuid guid{};
  size_t at = 1;
  for (int i = 0; i < 16; ++i) {
    if (IsHyphenPosition(at) && text[at++] != '-') throw invalid();
    int high = HexValue(text[at]);
    int low = HexValue(text[at + 1]);
    if (high < 0 || low < 0) throw invalid();
    guid[static_cast<size_t>(kTextOrder[i])] = static_cast<uint8_t>(high << 4 | low);
    at += 2;
  }
  return guid;
}
