// The formatter of the trigger texts: "%s" (text), "%d" (signed), "%u" (unsigned)
// and "%%", taken in order, or by index ("%0:s", "%1:u") so that a translation
// may reorder them; after an indexed one, the next plain one takes the next index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using TFormatArg = std::variant<std::string, int64_t>;

// The formatted text; nothing when the format does not fit its arguments.
std::optional<std::string> FormatArgs(const std::string& format, const std::vector<TFormatArg>& args);
