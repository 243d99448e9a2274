// Native file system: drives a test declares; replacement by rename.
#pragma once

#include <set>

#include "platform/file_system.h"

class TSimFileSystem : public IFileSystem {
 public:
  std::set<char> drives{'C'};

  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  // Removes the real folder tree (links themselves, never their targets); false when nothing is there.
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  // A symbolic link of the real file system.
  bool IsReparsePoint(const std::string& path) override;
};
