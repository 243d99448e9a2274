// File-system port: drive existence, atomic replacement, and deletes that never follow a link.
#pragma once

#include "platform/file_system.h"

class TWin32FileSystem : public IFileSystem {
 public:
  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  bool WriteNewFile(const std::string& path, std::string_view bytes) override;
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  bool IsReparsePoint(const std::string& path) override;
};
