#include "platform/win32/win32_string_table.h"

#include <optional>
#include <string_view>

#include "platform/win32/win32_text.h"
#include "res/string_languages.h"

namespace {

constexpr LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// A string of a STRINGTABLE block in exactly that language: blocks hold 16
// strings, each a length followed by that many UTF-16 units. Nothing for a
// missing block or an empty entry; the walk stays inside the resource.
std::optional<std::wstring_view> FindString(HMODULE module, int id, LANGID language) {
  const HRSRC block = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                      MAKEINTRESOURCEW(static_cast<WORD>(id / 16 + 1)), language);
  if (!block) return std::nullopt;
  const HGLOBAL loaded = LoadResource(module, block);
  const auto* unit = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
  if (!unit) return std::nullopt;
  const WORD* end = unit + SizeofResource(module, block) / sizeof(WORD);
  for (int skip = id % 16; skip > 0 && unit < end; --skip) unit += 1 + *unit;
  if (unit >= end || *unit == 0 || *unit > end - unit - 1) return std::nullopt;
  return std::wstring_view(reinterpret_cast<const wchar_t*>(unit + 1), *unit);
}

}  // namespace

void TWin32StringTable::SetLanguage(int language) {
  m_language = ENGLISH;
  if (language < 0 || language >= static_cast<int>(std::size(QV_STRING_LANGUAGES))) return;
  const TStringLanguage& chosen = QV_STRING_LANGUAGES[language];
  m_language = MAKELANGID(static_cast<WORD>(chosen.primary), static_cast<WORD>(chosen.sub));
}

std::string TWin32StringTable::Load(int id) {
  if (id < 0) return {};
  const HMODULE module = m_module ? m_module : GetModuleHandleW(nullptr);
  std::optional<std::wstring_view> text = FindString(module, id, m_language);
  if (!text && m_language != ENGLISH) text = FindString(module, id, ENGLISH);
  return text ? WideToUtf8(text->data(), text->size()) : std::string();
}
