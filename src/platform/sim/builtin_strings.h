// The string tables compiled into builds without resources: English and the
// translations, one per interface language.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/string_table.h"

const std::vector<std::pair<int, std::string>>& BuiltinStrings();
// The table of interface language `language` (its index); empty for English
// and for a language without a translation.
const std::vector<std::pair<int, std::string>>& TranslatedStrings(int language);

// The texts of one interface language; English stands in for a text the
// translation lacks or leaves empty, as the Windows build's lookup does.
class TBuiltinStringTable : public IStringTable {
 public:
  explicit TBuiltinStringTable(int language = 0) : m_language(language) {}

  std::string Load(int id) override {
    for (const auto& [key, text] : TranslatedStrings(m_language))
      if (key == id && !text.empty()) return text;
    for (const auto& [key, text] : BuiltinStrings())
      if (key == id) return text;
    return {};
  }

 private:
  int m_language;
};
