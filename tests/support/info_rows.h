// The rows "qvcli info" prints after its settings, as caption and value, and
// the two speeds of its "a (b) GHz" value.
#pragma once

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace info_rows {

// "Caption:   value" lines after the first blank line; qvcli pads every
// caption's colon with at least two blanks.
inline std::vector<std::pair<std::string, std::string>> InfoRows(std::string output) {
  std::erase(output, '\r');
  const auto blank = output.find("\n\n");
  std::istringstream lines(blank == std::string::npos ? std::string() : output.substr(blank + 2));
  std::vector<std::pair<std::string, std::string>> rows;
  std::string line;
  while (std::getline(lines, line)) {
    const auto colon = line.find(": ");
    const auto end = colon == std::string::npos ? line.size() : colon;
    const auto value = line.find_first_not_of(' ', std::min(line.size(), end + 1));
    rows.emplace_back(line.substr(0, end), value == std::string::npos ? std::string() : line.substr(value));
  }
  return rows;
}

inline std::pair<double, double> Speeds(const std::string& text) {
  double current = 0, max = 0;
  std::sscanf(text.c_str(), "%lf (%lf)", &current, &max);
  return {current, max};
}

}  // namespace info_rows
