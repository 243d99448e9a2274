// Integers from text: decimal, or hexadecimal with a "$" or "0x" prefix.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The number, or nothing when the text is not a whole number in range.
std::optional<int64_t> ParseInteger(const std::string& text);
// The 32-bit number, or the default when the text is not one.
int32_t StrToIntDef(const std::string& text, int32_t defaultValue);
// The number; raises EConvertError "'%s' is not a valid integer value" otherwise.
int64_t StrToInt64(const std::string& text);
