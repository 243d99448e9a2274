#include "devices/problem_texts.h"

#include "res/string_ids.h"

TProblemTexts::TProblemTexts(IStringTable& strings) {
  for (uint32_t code = 0; code < PROBLEM_TEXT_COUNT; ++code)
    m_texts[code] = strings.Load(IDS_PROBLEM_0 + static_cast<int>(code));
}

const std::string& TProblemTexts::Text(uint32_t code) const {
  static const std::string empty;
  return code < PROBLEM_TEXT_COUNT ? m_texts[code] : empty;
}
