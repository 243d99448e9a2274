// Native file system: drives a test declares; replacement by rename; a log of the
// flushed writes and the replacements, in order.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

class TSimFileSystem : public IFileSystem {
 public:
  std::set<char> drives{'C'};
  bool fullDisk = false;  // every WriteNewFile fails, writing nothing

  bool DriveExists(char letter) override;
  bool MoveFileOver(const std::string& source, const std::string& target) override;
  bool WriteNewFile(const std::string& path, std::string_view bytes) override;
  // Removes the real folder tree (links themselves, never their targets); false when nothing is there.
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  // A symbolic link of the real file system.
  bool IsReparsePoint(const std::string& path) override;

  // "flush <path>" for each file written to the disk, "move <source> <target>" for
  // each replacement that succeeded.
  std::vector<std::string> Log() const;

 private:
  void Record(std::string entry);

  mutable std::mutex m_logLock;
  std::vector<std::string> m_log;
};
