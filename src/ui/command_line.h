// The program's start switches: `scan` (start minimised and scan at once) and
// `pid` (wait for a predecessor process to end first).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TStartSwitches {
  bool scan = false;        // a parameter "/scan" or "-scan", any case
  bool pidPresent = false;  // a `pid` switch was given
  std::string pidText;      // its value, possibly empty
};

// Reads the parameters (without the program name) in order. A parameter is a
// switch when it starts with '-' or '/'; names compare without case.
TStartSwitches ReadStartSwitches(const std::vector<std::string>& parameters);

// A process identifier written in decimal (digits only, 32-bit unsigned);
// nothing for any other text, including an empty one.
std::optional<uint32_t> ParseProcessId(const std::string& text);
