// File-system port: what the standard library cannot say the Windows way.
#pragma once

#include <string>

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Whether the drive of a path such as "Q:\x" exists.
  virtual bool DriveExists(char letter) = 0;
  // Replaces target by source in one step (MoveFileExW with
  // MOVEFILE_REPLACE_EXISTING); false when it fails, both files as they were.
  virtual bool MoveFileOver(const std::string& source, const std::string& target) = 0;
};
