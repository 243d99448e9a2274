// Turns the bytes of an INF file (UTF-16LE, UTF-8 or an ANSI code page) into UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace qvserver {

// UTF-16LE with or without its byte-order mark, UTF-8 with or without it; any other
// bytes are read as Windows-1252's Latin-1 subset.
std::string inf_text_to_utf8(std::string_view bytes);

}  // namespace qvserver
