#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <memory>

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

// The path the handle reaches, without the "\\?\" that GetFinalPathNameByHandleW puts before it.
std::wstring FinalPath(HANDLE handle) {
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  if (length >= final.size()) {
    final.assign(length, L'\0');
    length = GetFinalPathNameByHandleW(handle, final.data(), length, FILE_NAME_NORMALIZED);
  }
  if (length == 0 || length >= final.size()) return {};
  final.resize(length);
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + final.substr(7);
  if (final.rfind(L"\\\\?\\", 0) == 0) return final.substr(4);
  return final;
}

// Deletes the entry at path through one handle opened on the entry itself (a link as the
// link): only when the handle's final path is the path asked for, so that a junction on
// the way, even one swapped in before the open, leads to no delete elsewhere. A folder is
// deleted only when asked for one (and then only when empty); a file only when asked for one.
bool DeleteThroughHandle(const std::string& path, bool folder) {
  std::wstring full = FullPath(path);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  if (full.empty()) return false;
  TFileHandle entry(CreateFileW(full.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(entry.Get(), &info)) return false;
  const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  const bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder ? (link || !isFolder) : (isFolder && !link)) return false;
  const std::wstring final = FinalPath(entry.Get());
  if (final.empty() || CompareStringOrdinal(final.c_str(), static_cast<int>(final.size()), full.c_str(),
                                            static_cast<int>(full.size()), TRUE) != CSTR_EQUAL)
    return false;
  FILE_DISPOSITION_INFO dispose{TRUE};
  return SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &dispose, sizeof(dispose)) != FALSE;
}

// WriteFile of all the bytes, in parts WriteFile's 32-bit length can take.
bool WriteAll(HANDLE file, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes + done, chunk, &wrote, nullptr) || wrote != chunk) return false;
    done += wrote;
  }
  return true;
}

class TWin32OpenFile : public IOpenFile {
 public:
  explicit TWin32OpenFile(TFileHandle file) : m_file(std::move(file)) {}
  bool Read(void* buffer, size_t size, size_t& read) override {
    DWORD got = 0;
    const BOOL ok = ReadFile(m_file.Get(), buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), &got, nullptr);
    read = got;
    return ok != FALSE;
  }
  bool Write(const void* data, size_t size) override { return WriteAll(m_file.Get(), data, size); }
  bool Rewind() override {
    LARGE_INTEGER start{};
    return SetFilePointerEx(m_file.Get(), start, nullptr, FILE_BEGIN) != FALSE;
  }

 private:
  TFileHandle m_file;
};

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
  bool written = WriteAll(file, bytes.data(), bytes.size()) && FlushFileBuffers(file) != FALSE;
  written = CloseHandle(file) != FALSE && written;
  if (!written) DeleteFileW(name.c_str());
  return written;
}

bool TWin32FileSystem::DeleteTree(uintptr_t, const std::string& path) {
  std::wstring full = FullPath(path);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return !full.empty() && DeleteEntry(full);
}

bool TWin32FileSystem::DeleteFileAt(const std::string& path) { return DeleteThroughHandle(path, false); }

bool TWin32FileSystem::RemoveEmptyFolder(const std::string& path) { return DeleteThroughHandle(path, true); }

bool TWin32FileSystem::IsReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::unique_ptr<IOpenFile> TWin32FileSystem::OpenFile(const std::string& path, TFileOpenMode mode) {
  const std::wstring name = Utf8ToWide(path);
  if (mode == fomCreateExclusive) {
    TFileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<TWin32OpenFile>(std::move(file));
  }
  // Opened as the reparse point itself when it is one, so a link is seen and refused, not followed.
  TFileHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return nullptr;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return std::make_unique<TWin32OpenFile>(std::move(file));
}
