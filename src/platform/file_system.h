// File-system port: what the standard library cannot say the Windows way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// SHFileOperationW's delete operation and the flags of a silent, permanent delete:
// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI.
#ifndef FO_DELETE
constexpr uint32_t FO_DELETE = 3;
#endif
constexpr uint32_t SILENT_DELETE_FLAGS = 0x614;

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
  // The shell's delete of a folder (or file) with everything in it, permanently, with no
  // confirmation, progress or error dialog (SHFileOperationW, FO_DELETE, SILENT_DELETE_FLAGS,
  // owner window ownerWindow); true when the shell reports success.
  virtual bool DeleteTree(uintptr_t ownerWindow, const std::string& path) = 0;
};
