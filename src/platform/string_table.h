// String-table port: the program's translatable texts by identifier.
#pragma once

#include <string>

class IStringTable {
 public:
  virtual ~IStringTable() = default;
  // The text of the identifier; empty when the table has none.
  virtual std::string Load(int id) = 0;
};
