#include "platform/win32/win32_power.h"

#include <windows.h>

#include "platform/win32/win32_handles.h"

bool TWin32Power::EnableShutdownPrivilege() {
  TKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
  return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) &&
         GetLastError() == ERROR_SUCCESS;
}

bool TWin32Power::RequestRestart(uint32_t flags, uint32_t reason) { return ExitWindowsEx(flags, reason) != FALSE; }
