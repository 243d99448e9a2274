// Small ASCII text helpers shared by the INF reader, the catalog and the HTTP service.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvserver {

std::string ascii_lower(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
bool istarts_with(std::string_view text, std::string_view prefix);
std::string_view trim(std::string_view text);
// Splits at every separator; empty pieces are kept.
std::vector<std::string_view> split(std::string_view text, char separator);

}  // namespace qvserver
