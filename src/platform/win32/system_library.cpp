#include "platform/win32/system_library.h"

void RestrictDllSearchToSystemFolder() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

TLibrary LoadSystemLibrary(const wchar_t* name) {
  return TLibrary(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}
