// One device backup's folder under the user-writable backup location. The folder is made
// new under a name nothing else holds (never one that was there before), each file is
// made new and measured from the bytes written, and at the end the manifest of those files
// is written and its digest recorded under HKLM. Whatever is in the folder besides, or is
// changed in it afterwards, is never taken for the backup.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup_manifest.h"
#include "platform/file_system.h"
#include "platform/hashing.h"
#include "platform/registry.h"

class TBackupWriter {
 public:
  // Makes the folder baseName under root, or when that name is taken "baseName (2)",
  // "baseName (3)" and so on; a name is taken by anything at its path and by the record of
  // another backup folder that still exists. Null when no folder could be made.
  static std::unique_ptr<TBackupWriter> Create(IFileSystem& fileSystem, IHashing& hashing, IRegistry& registry,
                                               const std::string& root, const std::string& baseName);
  TBackupWriter(const TBackupWriter&) = delete;
  TBackupWriter& operator=(const TBackupWriter&) = delete;

  const std::string& Folder() const { return m_folder; }
  // Whether the backup wrote a file of that name (case ignored).
  bool Holds(std::string_view name) const;
  // Copies the file at sourcePath into the new file name of the folder; false when the
  // source cannot be read or the file cannot be made or written (a partial file is removed).
  bool CopyIn(const std::string& sourcePath, const std::string& name);
  // Writes the bytes into the new file name of the folder; false when that fails.
  bool WriteIn(const std::string& name, std::string_view bytes);
  // Writes the manifest of the files written and records its digest; false when either fails.
  bool Finish();

 private:
  TBackupWriter(IFileSystem& fileSystem, IHashing& hashing, IRegistry& registry, std::string folder)
      : m_fileSystem(fileSystem), m_hashing(hashing), m_registry(registry), m_folder(std::move(folder)) {}
  // Writes what fill produces into a new file of the folder, measuring it; fill calls its
  // argument with each part and returns false when it cannot read a part.
  template <class TFill>
  bool WriteMeasured(const std::string& name, TFill fill);

  IFileSystem& m_fileSystem;
  IHashing& m_hashing;
  IRegistry& m_registry;
  std::string m_folder;
  std::vector<TManifestEntry> m_entries;
};
