// File-system port: drive existence, atomic replacement, deletes that never follow a link,
// and files opened with the sharing the program asks for.
#pragma once

#include "platform/file_system.h"

class TWin32FileSystem : public IFileSystem {
 public:
  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  bool WriteNewFile(const std::string& path, std::string_view bytes) override;
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  bool IsReparsePoint(const std::string& path) override;
  std::unique_ptr<IOpenFile> OpenFile(const std::string& path, TFileOpenMode mode) override;
};
