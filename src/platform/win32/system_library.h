// System DLLs are loaded from the system folder only, never from the program's folder.
#pragma once

#include <string>

#include "platform/win32/win32_handles.h"

// Restricts the process's DLL search to the system folder (call first in main).
void RestrictDllSearchToSystemFolder();
// Loads a DLL of the system folder by name; empty on failure.
TLibrary LoadSystemLibrary(const wchar_t* name);
