// MD5 digests (OpenSSL) as 32 lower-case hexadecimal digits.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qvserver {

std::string md5_hex(std::string_view bytes);
// Reads the file in blocks; raises ImportError when it cannot be read.
std::string file_md5_hex(const std::filesystem::path& file);

}  // namespace qvserver
