// String-table port: the STRINGTABLE resources of the running program, in one
// interface language looked up by its language id (never the thread's or the
// system's), English standing in for a text the language lacks.
#pragma once

#include <windows.h>

#include "platform/string_table.h"

class TWin32StringTable : public IStringTable {
 public:
  // The running program's own resources, or those of a module loaded as data.
  explicit TWin32StringTable(HMODULE module = nullptr) : m_module(module) {}

  // The interface language by its index; one without a table reads English.
  void SetLanguage(int language);
  std::string Load(int id) override;

 private:
  HMODULE m_module;
  LANGID m_language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
};
