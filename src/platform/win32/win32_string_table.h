// String-table port: the STRINGTABLE resources of the running program.
#pragma once

#include "platform/string_table.h"

class TWin32StringTable : public IStringTable {
 public:
  std::string Load(int id) override;
};
