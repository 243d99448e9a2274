// Native file system: drives a test declares; replacement by rename; a log of the
// flushed writes and the replacements, in order; the sharing of open files as
// Windows keeps it for the port's own operations (a file opened by OpenFile cannot be
// replaced, deleted or opened for writing through the port until it is closed); and the
// owners and write rights of folders, as far as the protected work area depends on them:
// a folder made by CreateProtectedFolder belongs to Administrators and nobody else may
// write in it or below it; every other folder is the user's.
#pragma once

#include <cstdint>
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
  // Removes the real folder tree (links themselves, never their targets) and the rights given
  // to its folders; false when nothing is there.
  bool DeleteTree(uintptr_t ownerWindow, const std::string& path) override;
  // unlink(2) / rmdir(2), after the path's folders are found free of symbolic links
  // (their real path is the path given), as the final-path check of Windows finds them.
  bool DeleteFileAt(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;
  // A symbolic link of the real file system.
  bool IsReparsePoint(const std::string& path) override;
  // open(2) with O_NOFOLLOW: a symbolic link is not opened.
  std::unique_ptr<IOpenFile> OpenFile(const std::string& path, TFileOpenMode mode) override;

  bool CreateProtectedFolder(const std::string& path) override;
  // A real folder (no symbolic link) with protected rights, and still the very folder they
  // were given to (a folder put in its place by rename is not).
  bool IsProtectedFolder(const std::string& path) override;
  bool MoveAside(const std::string& source, const std::string& target) override;

  // Gives a folder an owner and rights as a test states them: another owner, or
  // othersMayWrite, makes it one the program must not trust.
  void SetFolderRights(const std::string& path, const std::string& owner, bool othersMayWrite);
  // Whether an unelevated process of the user may create, change, rename or delete at
  // path: false when path or a folder above it is protected. What the attack tests ask
  // before they plant or swap anything.
  bool UserMayWrite(const std::string& path) const;

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

  struct TFolderRights {
    std::string owner;
    bool othersMayWrite = false;
    uint64_t device = 0;  // which folder the rights were given to
    uint64_t inode = 0;
  };
  bool IsProtected(const std::string& key, const TFolderRights& rights) const;
  // Drops the rights of a folder tree that is gone.
  void ForgetRights(const std::string& path);

  mutable std::mutex m_logLock;
  std::vector<std::string> m_log;
  mutable std::mutex m_openLock;
  std::multimap<std::string, TFileOpenMode> m_open;  // by normalised path; one entry per open file
  mutable std::mutex m_rightsLock;
  std::map<std::string, TFolderRights> m_rights;  // by normalised path
};
