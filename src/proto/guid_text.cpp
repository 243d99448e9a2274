#include "proto/guid_text.h"

#include "proto/proto_errors.h"

namespace {

// Character positions where a hyphen stands in the braced form.
constexpr bool IsHyphenPosition(size_t at) { return at == 9 || at == 14 || at == 19 || at == 24; }

}  // namespace

std::array<char, GUID_TEXT_LENGTH> GuidText(const TGuid& guid) {
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  std::array<char, GUID_TEXT_LENGTH> text;
  size_t at = 0;
  text[at++] = '{';
  for (size_t index : GUID_TEXT_BYTE_ORDER) {
    if (IsHyphenPosition(at)) text[at++] = '-';
    uint8_t byte = guid[index];
    text[at++] = DIGITS[byte >> 4];
    text[at++] = DIGITS[byte & 15];
  }
  text[at] = '}';
  return text;
}

std::string GuidToString(const TGuid& guid) {
  const std::array<char, GUID_TEXT_LENGTH> text = GuidText(guid);
  return std::string(text.data(), text.size());
}

TGuid StringToGuid(const std::string& text) {
  if (text.starts_with('{'))
    if (const std::optional<TGuid> guid = ParseGuid(text)) return *guid;
  throw EGuidConvertError("'" + text + "' is not a valid GUID value");
}
