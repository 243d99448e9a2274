// The English string table compiled into builds without resources.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/string_table.h"

const std::vector<std::pair<int, std::string>>& BuiltinStrings();

class TBuiltinStringTable : public IStringTable {
 public:
  std::string Load(int id) override {
    for (const auto& [key, text] : BuiltinStrings())
      if (key == id) return text;
    return {};
  }
};
