#include "proto/guid_text.h"

#include "proto/proto_errors.h"

namespace {

// Character positions where a hyphen stands in the braced form.
constexpr bool IsHyphenPosition(size_t at) { return at == 9 || at == 14 || at == 19 || at == 24; }

}  // namespace

std::string GuidToString(const TGuid& guid) {
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  std::string text = "{";
  for (size_t index : GUID_TEXT_BYTE_ORDER) {
    if (IsHyphenPosition(text.size())) text += '-';
    uint8_t byte = guid[index];
    text += DIGITS[byte >> 4];
    text += DIGITS[byte & 15];
  }
  return text + "}";
}

TGuid StringToGuid(const std::string& text) {
  if (text.starts_with('{'))
    if (const std::optional<TGuid> guid = ParseGuid(text)) return *guid;
  throw EGuidConvertError("'" + text + "' is not a valid GUID value");
}
