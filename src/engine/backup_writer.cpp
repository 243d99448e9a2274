#include "engine/backup_writer.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/file_md5.h"
#include "core/paths.h"
#include "engine/backup_record.h"
#include "platform/ascii_case.h"
#include "platform/path_parts.h"

namespace fs = std::filesystem;

namespace {

constexpr int MAX_FOLDER_NAMES = 100;
constexpr size_t COPY_BLOCK = 64 * 1024;

bool SomethingAt(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(ToPath(path), error));
}

// A name held by another backup folder's record while that folder exists (under an
// earlier backup location): taking it would replace that backup's record.
bool RecordedElsewhere(IRegistry& registry, const std::string& name, const std::string& path) {
  const std::optional<TBackupRecord> record = ReadBackupRecord(registry, name);
  return record && !SameFolderPath(record->folder, path) && SomethingAt(record->folder);
}

}  // namespace

std::unique_ptr<TBackupWriter> TBackupWriter::Create(IFileSystem& fileSystem, IHashing& hashing, IRegistry& registry,
                                                     const std::string& root, const std::string& baseName) {
  if (root.empty()) return nullptr;
  for (int n = 1; n <= MAX_FOLDER_NAMES; ++n) {
    const std::string name = n == 1 ? baseName : baseName + " (" + std::to_string(n) + ")";
    if (!IsPlainFileName(name)) return nullptr;
    const std::string path = JoinPath(root, name);
    if (RecordedElsewhere(registry, name, path)) continue;
    // Made here and now, or not ours: a folder that is there already is left alone.
    std::error_code error;
    if (fs::create_directory(ToPath(path), error) && !error)
      return std::unique_ptr<TBackupWriter>(new TBackupWriter(fileSystem, hashing, registry, path));
    if (!SomethingAt(path)) return nullptr;  // not taken, yet it cannot be made
  }
  return nullptr;
}

bool TBackupWriter::Holds(std::string_view name) const {
  for (const TManifestEntry& entry : m_entries)
    if (EqualsIgnoringAsciiCase(entry.name, name)) return true;
  return false;
}

template <class TFill>
bool TBackupWriter::WriteMeasured(const std::string& name, TFill fill) {
  if (!IsPlainFileName(name) || Holds(name) || EqualsIgnoringAsciiCase(name, QV_BACKUP_MANIFEST_NAME)) return false;
  const std::string path = JoinPath(m_folder, name);
  TManifestEntry entry{name, 0, {}};
  bool written = false;
  {
    const std::unique_ptr<IOpenFile> file = m_fileSystem.OpenFile(path, fomCreateExclusive);
    if (!file) return false;  // something is there already: not a file this backup made
    const std::unique_ptr<ISha256> sha256 = m_hashing.CreateSha256();
    written = fill([&](const char* data, size_t size) {
      sha256->Update(data, size);
      entry.size += size;
      return file->Write(data, size);
    });
    const TSha256Digest digest = sha256->Finish();
    entry.sha256 = LowerHexDigest(digest.data(), digest.size());
  }
  if (!written) {
    std::error_code ignored;
    fs::remove(ToPath(path), ignored);
    return false;
  }
  m_entries.push_back(std::move(entry));
  return true;
}

bool TBackupWriter::CopyIn(const std::string& sourcePath, const std::string& name) {
  return WriteMeasured(name, [&](auto write) {
    std::ifstream source(ToPath(sourcePath), std::ios::binary);
    if (!source) return false;
    std::vector<char> buffer(COPY_BLOCK);
    while (source) {
      source.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      const auto read = static_cast<size_t>(source.gcount());
      if (read > 0 && !write(buffer.data(), read)) return false;
    }
    return source.eof() && !source.bad();
  });
}

bool TBackupWriter::WriteIn(const std::string& name, std::string_view bytes) {
  return WriteMeasured(name, [&](auto write) { return write(bytes.data(), bytes.size()); });
}

bool TBackupWriter::Finish() {
  const std::string text = WriteBackupManifest(m_entries);
  // Written where the entries are, but never listed among them.
  const std::unique_ptr<ISha256> sha256 = m_hashing.CreateSha256();
  sha256->Update(text.data(), text.size());
  const TSha256Digest digest = sha256->Finish();
  if (!m_fileSystem.WriteNewFile(JoinPath(m_folder, QV_BACKUP_MANIFEST_NAME), text)) return false;
  const TBackupRecord record{m_folder, LowerHexDigest(digest.data(), digest.size())};
  return StoreBackupRecord(m_registry, FileNameOfPath(m_folder), record);
}
