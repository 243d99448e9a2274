// The parts of a Windows path held as text, where either "\" or "/" separates them.
#pragma once

#include <string>
#include <string_view>

// What follows the last separator; the whole text when it has none, and nothing
// when it ends with one.
inline std::string FileNameOfPath(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}
