#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

static_assert(QV_FILE_ATTRIBUTE_REPARSE_POINT == FILE_ATTRIBUTE_REPARSE_POINT);

namespace {

// The full path (relative ones depend on the process's current folder); empty when it has none.
std::wstring FullPath(const std::string& path) {
  const std::wstring given = Utf8ToWide(path);
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.assign(length, L'\0');
    length = GetFullPathNameW(given.c_str(), length, full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return {};
  full.resize(length);
  return full;
}

// A link is removed as a link: RemoveDirectoryW and DeleteFileW never follow one.
bool DeleteLink(const std::wstring& path, DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                 : DeleteFileW(path.c_str()) != FALSE;
}

bool DeleteEntry(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return DeleteLink(path, attributes);
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != FALSE;

  bool emptied = true;
  {
    // Held without FILE_SHARE_DELETE, the folder cannot be renamed away and replaced by a
    // junction while its entries are deleted by path.
    TFileHandle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(folder.Get(), &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      folder.Reset();
      return DeleteLink(path, info.dwFileAttributes);
    }
    WIN32_FIND_DATAW found{};
    TFindHandle search(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (!search) return false;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (!DeleteEntry(path + L"\\" + name)) emptied = false;
    } while (FindNextFileW(search.Get(), &found));
  }
  return RemoveDirectoryW(path.c_str()) != FALSE && emptied;
}

}  // namespace

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

bool TWin32FileSystem::DeleteTree(uintptr_t, const std::string& path) {
  std::wstring full = FullPath(path);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return !full.empty() && DeleteEntry(full);
}

bool TWin32FileSystem::IsReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
