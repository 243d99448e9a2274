// Percent-encoding of a file name for a download link's path.
#pragma once

#include <string>
#include <string_view>

namespace qvserver {

// Keeps letters, digits and "-._~"; every other byte becomes %XX (a blank too, so
// that "+" and " " survive the client's decoding as themselves).
std::string percent_encode(std::string_view text);

}  // namespace qvserver
