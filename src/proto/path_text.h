// A path as UTF-8 text for error messages, on every platform.
#pragma once

#include <filesystem>
#include <string>

inline std::string PathText(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
