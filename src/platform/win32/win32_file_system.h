// File-system port: drive existence, atomic replacement, deletes that never follow a link,
// files opened with the sharing the program asks for, and the protected work area's folders.
#pragma once

#include "platform/file_system.h"

class TWin32FileSystem : public IFileSystem {
 public:
  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  bool WriteNewFile(const std::string& path, std::string_view bytes) override;
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  bool DeleteFileAt(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;
  bool IsReparsePoint(const std::string& path) override;
  std::unique_ptr<IOpenFile> OpenFile(const std::string& path, TFileOpenMode mode) override;
  // win32_folder_security.cpp
  bool CreateProtectedFolder(const std::string& path) override;
  bool IsProtectedFolder(const std::string& path) override;
  bool MoveAside(const std::string& source, const std::string& target) override;
};
