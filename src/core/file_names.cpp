#include "core/file_names.h"

#include <string_view>

std::string MakeValidFileName(const std::string& AText) {
  constexpr std::string_view replaced = "*/:<>?\\|";
  std::string result = AText;
  for (char& c : result)
    if (replaced.find(c) != std::string_view::npos) c = '_';
  return result;
}
