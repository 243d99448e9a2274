#include "core/number_text.h"

#include <limits>

#include "core/errors.h"

std::optional<int64_t> ParseInteger(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  // Accumulate as a negative number so that the smallest value fits.
  int64_t value = 0;
  const int64_t lowest = std::numeric_limits<int64_t>::min();
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    if (digit >= base) return std::nullopt;
    if (value < (lowest + digit) / base) return std::nullopt;
    value = value * base - digit;
  }
  if (!negative) {
    if (value == lowest) return std::nullopt;
    value = -value;
  }
  return value;
}

int32_t StrToIntDef(const std::string& text, int32_t defaultValue) {
  std::optional<int64_t> value = ParseInteger(text);
  if (!value || *value < std::numeric_limits<int32_t>::min() ||
      *value > std::numeric_limits<int32_t>::max())
    return defaultValue;
  return static_cast<int32_t>(*value);
}

int64_t StrToInt64(const std::string& text) {
  std::optional<int64_t> value = ParseInteger(text);
  if (!value) throw EConvertError(FormatText("'%s' is not a valid integer value", text));
  return *value;
}
