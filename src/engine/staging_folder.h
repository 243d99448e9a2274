// Fresh folders of the work area for one package or backup at a time, and the copy of a
// file into one, checked from the copy: what runs, is extracted or is restored is only
// ever what was copied there, never a file of a user-writable folder.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/package_record.h"
#include "platform/file_system.h"
#include "platform/hashing.h"
#include "platform/shell.h"

class TStagingFolder {
 public:
  // A folder made new (never one opened that was there before) in the work area's staging
  // folder; null when the work area or the folder cannot be made.
  static std::unique_ptr<TStagingFolder> Create(IShell& shell, IFileSystem& fileSystem);
  // Removes the folder with everything in it.
  ~TStagingFolder();
  TStagingFolder(const TStagingFolder&) = delete;
  TStagingFolder& operator=(const TStagingFolder&) = delete;

  const std::string& Path() const { return m_path; }

 private:
  TStagingFolder(IFileSystem& fileSystem, std::string path) : m_fileSystem(fileSystem), m_path(std::move(path)) {}

  IFileSystem& m_fileSystem;
  std::string m_path;
};

// Copies an open file from its first byte into a new file at target (which must not exist),
// then reads the copy back, held against writers, and measures it: the copy's name, size and
// digests; nothing when a step fails, and a partial copy is removed.
std::optional<TPackageRecord> CopyAndMeasure(IFileSystem& fileSystem, IHashing& hashing, IOpenFile& source,
                                             const std::string& target);
