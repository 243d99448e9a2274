// A real directory link for the Windows tests: a junction made with
// FSCTL_SET_REPARSE_POINT; where Wine refuses that (Wine 8 answers ERROR_NOT_SUPPORTED, and
// its CreateSymbolicLinkW reports success without making anything), a Unix symbolic link
// to the folder, which Wine shows as a FILE_ATTRIBUTE_REPARSE_POINT directory.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/win32/win32_handles.h"

// Wine only: runs a Unix program with options (its kernel32 names the Unix path of a Windows one and
// starts Unix programs) on the Unix paths of Windows paths; false when it did not run.
inline bool RunUnixCommand(const std::string& program, const std::string& options,
                           std::initializer_list<std::filesystem::path> arguments) {
  using TUnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return false;
  std::string command = program + " " + options;
  for (const std::filesystem::path& argument : arguments) {
    char* name = unixName(argument.c_str());
    if (name == nullptr) return false;
    command += std::string(" \"") + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
  }
  std::wstring commandLine(command.begin(), command.end());  // the test paths are ASCII
  std::wstring file = L"Z:" + std::wstring(program.begin(), program.end());
  for (wchar_t& c : file)
    if (c == L'/') c = L'\\';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  // Wine does not wait for a Unix program's end: the caller polls for its result.
  WaitForSingleObject(process.hProcess, 10000);
  return true;
}

// Removes a link made by MakeDirectoryLink, never what it points to.
inline void RemoveDirectoryLink(const std::filesystem::path& link) {
  if (RemoveDirectoryW(link.c_str()) || !RunUnixCommand("/bin/rm", "--", {link})) return;
  for (int i = 0; i < 100 && GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
}

// How the link was made: "junction", "unix symbolic link", or empty when it could not be.
inline std::string MakeDirectoryLink(const std::filesystem::path& link, const std::filesystem::path& target,
                                     DWORD& junctionError) {
  junctionError = ERROR_SUCCESS;
  if (!CreateDirectoryW(link.c_str(), nullptr)) return {};
  {
    TFileHandle folder(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // REPARSE_DATA_BUFFER of a mount point: tag, data length, reserved, then the substitute
    // name ("\??\" + target) and the print name, each terminated, in one path buffer.
    const std::wstring substitute = L"\\??\\" + target.wstring(), print = target.wstring();
    struct {
      DWORD tag;
      WORD dataLength, reserved;
      WORD substituteOffset, substituteLength, printOffset, printLength;
      WCHAR paths[1024];
    } data{};
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    data.substituteLength = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    data.printOffset = static_cast<WORD>(data.substituteLength + sizeof(WCHAR));
    data.printLength = static_cast<WORD>(print.size() * sizeof(WCHAR));
    std::memcpy(data.paths, substitute.c_str(), data.substituteLength);
    std::memcpy(reinterpret_cast<char*>(data.paths) + data.printOffset, print.c_str(), data.printLength);
    data.dataLength = static_cast<WORD>(4 * sizeof(WORD) + data.printOffset + data.printLength + sizeof(WCHAR));
    DWORD returned = 0;
    SetLastError(0xdeadbeef);
    if (folder && DeviceIoControl(folder.Get(), FSCTL_SET_REPARSE_POINT, &data, 8 + data.dataLength, nullptr, 0,
                                  &returned, nullptr))
      return "junction";
    junctionError = GetLastError();
  }
  RemoveDirectoryW(link.c_str());

  if (!RunUnixCommand("/bin/ln", "-s", {target, link})) return {};
  DWORD attributes = GetFileAttributesW(link.c_str());
  for (int i = 0; i < 100 && attributes == INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(50);
    attributes = GetFileAttributesW(link.c_str());
  }
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {};
  return "unix symbolic link";
}
