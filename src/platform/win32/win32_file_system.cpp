#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/win32_text.h"

static_assert(SILENT_DELETE_FLAGS == (FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI));

bool TWin32FileSystem::DriveExists(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) != DRIVE_NO_ROOT_DIR;
}

bool TWin32FileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  return MoveFileExW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool TWin32FileSystem::WriteNewFile(const std::string& path, std::string_view bytes) {
  const std::wstring name = Utf8ToWide(path);
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  for (size_t done = 0; written && done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD wrote = 0;
    written = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) != FALSE && wrote == chunk;
    done += wrote;
  }
  written = written && FlushFileBuffers(file) != FALSE;
  written = CloseHandle(file) != FALSE && written;
  if (!written) DeleteFileW(name.c_str());
  return written;
}

bool TWin32FileSystem::DeleteTree(uintptr_t ownerWindow, const std::string& path) {
  // The shell wants a fully qualified path (relative ones depend on the process's current
  // folder); it reads a list of paths: this one, then an extra terminating zero.
  const std::wstring given = Utf8ToWide(path);
  std::wstring from(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(from.size()), from.data(), nullptr);
  if (length >= from.size()) {
    from.assign(length, L'\0');
    length = GetFullPathNameW(given.c_str(), length, from.data(), nullptr);
  }
  if (length == 0 || length >= from.size()) return false;
  from.resize(length);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = reinterpret_cast<HWND>(ownerWindow);
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = static_cast<FILEOP_FLAGS>(SILENT_DELETE_FLAGS);
  return SHFileOperationW(&operation) == 0;
}
