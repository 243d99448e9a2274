#include "engine/partial_file.h"

#include <utility>

#include "core/paths.h"

TPartialFile::TPartialFile(IFileSystem& fileSystem, std::string target)
    : m_fileSystem(fileSystem), m_target(std::move(target)), m_temporary(TemporaryPathFor(m_target)) {
  m_file = m_fileSystem.OpenFile(m_temporary, fomCreateExclusive);
  m_created = m_file != nullptr;
}

TPartialFile::~TPartialFile() { Discard(); }

bool TPartialFile::Commit() {
  if (!m_created) return false;
  m_file.reset();  // a file still open cannot be moved
  if (m_fileSystem.MoveFileOver(m_temporary, m_target)) {
    m_created = false;
    return true;
  }
  Discard();
  return false;
}

void TPartialFile::Discard() {
  m_file.reset();
  // Only the file this object made, through the handle that deletes it.
  if (m_created) m_fileSystem.DeleteFileAt(m_temporary);
  m_created = false;
}
