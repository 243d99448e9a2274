#include "ui/command_line.h"

#include <string_view>

#include "platform/ascii_case.h"

namespace {

bool IsSwitch(const std::string& parameter) {
  return !parameter.empty() && (parameter[0] == '-' || parameter[0] == '/');
}

}  // namespace

TStartSwitches ReadStartSwitches(const std::vector<std::string>& parameters) {
  TStartSwitches result;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const std::string& parameter = parameters[i];
    if (!IsSwitch(parameter)) continue;
    const std::string_view name = std::string_view(parameter).substr(1);
    // `scan` matches only as the whole name: /scanner and /scan:1 do not.
    if (EqualsIgnoringAsciiCase(name, "scan")) result.scan = true;
    // `pid` matches on its three letters; what follows is the value, after one
    // optional colon, or else the next parameter when that is not a switch.
    if (!result.pidPresent && StartsWithIgnoringAsciiCase(name, "pid")) {
      result.pidPresent = true;
      std::string rest = parameter.substr(4);
      if (rest.empty()) {
        if (i + 1 < parameters.size() && !IsSwitch(parameters[i + 1])) result.pidText = parameters[i + 1];
      } else {
        result.pidText = rest[0] == ':' ? rest.substr(1) : rest;
      }
    }
  }
  return result;
}

std::optional<uint32_t> ParseProcessId(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}
