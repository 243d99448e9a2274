// File-system port: what the standard library cannot say the Windows way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// GetFileAttributesW's mark of a junction, symbolic link or other reparse point.
constexpr uint32_t QV_FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

// How OpenFile opens a file, and whom it lets in while the file is open.
enum TFileOpenMode {
  // An existing file, for reading, shared for reading only (FILE_SHARE_READ): while it is
  // open nobody writes, renames or deletes it. A reparse point is not opened.
  fomReadDenyWriters,
  // A new file (CREATE_NEW: fails when anything, a link too, is at the path), for
  // writing, shared with nobody while it is written.
  fomCreateExclusive,
};

// A file opened by the file-system port; closed when destroyed.
class IOpenFile {
 public:
  virtual ~IOpenFile() = default;
  // Reads up to size bytes at the current position; read is 0 at the end. False on an error.
  virtual bool Read(void* buffer, size_t size, size_t& read) = 0;
  // Writes all the bytes at the current position; false on an error.
  virtual bool Write(const void* data, size_t size) = 0;
  // Moves the position back to the file's first byte; false on an error.
  virtual bool Rewind() = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Whether the drive of a path such as "Q:\x" exists.
  virtual bool DriveExists(char letter) = 0;
  // Replaces target by source in one step (MoveFileExW with
  // MOVEFILE_REPLACE_EXISTING); false when it fails, both files as they were.
  virtual bool MoveFileOver(const std::string& source, const std::string& target) = 0;
  // Creates path, which must not exist yet (CreateFileW with CREATE_NEW), writes the
  // bytes and flushes them to the disk (FlushFileBuffers) before closing; false when a
  // step fails, and a file it created is removed again.
  virtual bool WriteNewFile(const std::string& path, std::string_view bytes) = 0;
  // Deletes a folder (or file) with everything in it, permanently and without any dialog
  // (ownerWindow is the window the delete runs for). A reparse point in the tree (junction,
  // symbolic link) is deleted itself, never what it points to, and each folder is held open
  // without delete sharing while it is emptied, so it cannot be swapped for a link meanwhile.
  // True when everything is gone; false when the path is missing or something stays.
  virtual bool DeleteTree(uintptr_t ownerWindow, const std::string& path) = 0;
  // Deletes the one file at path, checked through the handle that deletes it: a link there
  // is deleted as the link, a folder never, and a path that reaches its file through a
  // junction or link on the way (the handle's final path is not path) is left alone.
  // False when nothing was deleted.
  virtual bool DeleteFileAt(const std::string& path) = 0;
  // Removes the folder at path when it is empty, checked through the handle that removes
  // it: not a link itself, not reached through one. False when nothing was removed.
  virtual bool RemoveEmptyFolder(const std::string& path) = 0;
  // Whether the path itself is a reparse point (FILE_ATTRIBUTE_REPARSE_POINT): a junction or
  // symbolic link that must not be followed. False when nothing is there.
  virtual bool IsReparsePoint(const std::string& path) = 0;
  // Opens a file the way mode says (CreateFileW); null when it cannot be opened so.
  virtual std::unique_ptr<IOpenFile> OpenFile(const std::string& path, TFileOpenMode mode) = 0;

  // Creates a folder that must not exist yet (CreateDirectoryW: fails when anything, a link
  // too, is at the path) with the protected security descriptor "O:BAD:P(A;OICI;FA;;;SY)
  // (A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)": owner Administrators, SYSTEM and Administrators
  // full control, Users read and execute, nothing inherited from the parent; what is made
  // inside inherits it. False when the folder cannot be made so.
  virtual bool CreateProtectedFolder(const std::string& path) = 0;
  // Whether the folder at path can be trusted with elevated work, as read through one handle
  // opened on the folder itself: a folder, not a reparse point, owned by Administrators or
  // SYSTEM, and its DACL (present) allows no other account to write, delete or change it.
  virtual bool IsProtectedFolder(const std::string& path) = 0;
  // Renames a file or folder to target, which must not exist (MoveFileExW without
  // MOVEFILE_REPLACE_EXISTING); false when it fails.
  virtual bool MoveAside(const std::string& source, const std::string& target) = 0;
};
