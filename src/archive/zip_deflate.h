// Raw deflate (no zlib or gzip wrapper) of a whole buffer: the data of a deflated
// zip entry, for the programs that write archives (the reference server, tests).
#pragma once

#include <string>
#include <string_view>

// Raises std::runtime_error when zlib fails.
std::string DeflateRaw(std::string_view AContent, int ALevel);
