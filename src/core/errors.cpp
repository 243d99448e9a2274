#include "core/errors.h"

std::string FormatText(const std::string& pattern, const std::string& argument) {
  size_t at = pattern.find("%s");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}
