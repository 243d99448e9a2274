// The texts of the configuration manager's problem codes 0 to 54.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/string_table.h"

constexpr uint32_t PROBLEM_TEXT_COUNT = 55;

class TProblemTexts {
 public:
  // Loads every text from the program's string table once.
  explicit TProblemTexts(IStringTable& strings);
  // The text of a problem code; empty for a code without one or above 54.
  const std::string& Text(uint32_t code) const;

 private:
  std::array<std::string, PROBLEM_TEXT_COUNT> m_texts;
};
