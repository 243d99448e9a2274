// Writes a small zip archive with deflated entries (zlib), for the test packages.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvserver {

// Entries are (name inside the archive, content); the archive's bytes are returned.
std::string make_zip(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace qvserver
