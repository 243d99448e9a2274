// Lower-case hexadecimal text of bytes.
#pragma once

#include <string>
#include <string_view>

namespace qvserver {

std::string to_hex(std::string_view bytes);

}  // namespace qvserver
