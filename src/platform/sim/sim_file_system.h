// Native file system: drives a test declares; replacement by rename.
#pragma once

#include <set>

#include "platform/file_system.h"

class TSimFileSystem : public IFileSystem {
 public:
  std::set<char> drives{'C'};

  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  // Removes the real folder tree; false, as the shell reports, when nothing is there.
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
};
