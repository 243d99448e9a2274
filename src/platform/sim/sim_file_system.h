// Native file system: drives a test declares; replacement by rename; a log of the
// flushed writes and the replacements, in order; and the sharing of open files as
// Windows keeps it for the port's own operations (a file opened by OpenFile cannot be
// replaced, deleted or opened for writing through the port until it is closed).
#pragma once

#include <map>
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
  // open(2) with O_NOFOLLOW: a symbolic link is not opened.
  std::unique_ptr<IOpenFile> OpenFile(const std::string& path, TFileOpenMode mode) override;

  // The files OpenFile has open now.
  size_t OpenFileCount() const;

  // "flush <path>" for each file written to the disk, "move <source> <target>" for
  // each replacement that succeeded.
  std::vector<std::string> Log() const;

 private:
  void Record(std::string entry);
  // Whether a file at or below path is open, so that changing it would be a sharing violation.
  bool InUse(const std::string& path) const;
  void Closed(const std::string& key);

  class TOpenFile;

  mutable std::mutex m_logLock;
  std::vector<std::string> m_log;
  mutable std::mutex m_openLock;
  std::multimap<std::string, TFileOpenMode> m_open;  // by normalised path; one entry per open file
};
