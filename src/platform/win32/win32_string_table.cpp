#include "platform/win32/win32_string_table.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

std::string TWin32StringTable::Load(int id) {
  // With a zero buffer size LoadStringW returns a read-only pointer into the resource.
  const wchar_t* text = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? WideToUtf8(text, static_cast<size_t>(length)) : std::string();
}
