#include "platform/win32/win32_processes.h"

#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

uint32_t TWin32Processes::CurrentProcessId() { return GetCurrentProcessId(); }

std::string TWin32Processes::ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return WideToUtf8(path);
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
}

bool TWin32Processes::StartProcess(const std::string& commandLine) {
  std::wstring command = Utf8ToWide(commandLine);  // CreateProcessW may write to it
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

std::vector<std::string> TWin32Processes::RunningExecutables() {
  std::vector<std::string> names;
  TSnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return names;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
    names.push_back(WideToUtf8(std::wstring(entry.szExeFile)));
  return names;
}

std::string TWin32Processes::CurrentUserName() {
  wchar_t name[1024] = {};
  DWORD size = 1024;
  if (!GetUserNameW(name, &size)) return {};
  return WideToUtf8(std::wstring(name));
}
