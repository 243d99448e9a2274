// TPartialFile: a file written piece by piece under a temporary name of its own beside its
// target, and moved over the target only once it is whole. Whatever does not get there (a
// failed, cut-off or cancelled write) is deleted again when the object goes.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

class TPartialFile {
 public:
  // Creates the temporary file new (fomCreateExclusive): anything already at its name, a
  // link too, makes the creation fail and is left alone.
  TPartialFile(IFileSystem& fileSystem, std::string target);
  ~TPartialFile();
  TPartialFile(const TPartialFile&) = delete;
  TPartialFile& operator=(const TPartialFile&) = delete;

  // The open temporary file; null when it could not be created or is closed.
  IOpenFile* File() const { return m_file.get(); }
  const std::string& Target() const { return m_target; }
  const std::string& TemporaryPath() const { return m_temporary; }
  // Closes the temporary file and moves it over the target; false when it was not created
  // or the move fails, and then the temporary file is deleted.
  bool Commit();
  // Closes the temporary file and deletes it.
  void Discard();

 private:
  IFileSystem& m_fileSystem;
  std::string m_target;
  std::string m_temporary;
  std::unique_ptr<IOpenFile> m_file;
  bool m_created = false;  // a temporary file of this object's lies at m_temporary
};
