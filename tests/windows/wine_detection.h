// Whether the tests run under Wine, so that a known Wine deviation can be marked.
#pragma once

#include <windows.h>

inline bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
