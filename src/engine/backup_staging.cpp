#include "engine/backup_staging.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "core/paths.h"
#include "engine/backup_manifest.h"
#include "engine/staging_folder.h"
#include "platform/path_parts.h"

namespace fs = std::filesystem;

namespace {

bool SomethingAt(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(ToPath(path), error));
}

// The staged manifest, read within its size limit; nothing when it cannot be read.
std::optional<std::string> ReadStaged(const std::string& path) {
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  text.resize(QV_BACKUP_MANIFEST_MAX_BYTES + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return std::nullopt;
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

}  // namespace

TBackupTrust BackupTrustOf(IRegistry& registry, const std::string& folder) {
  const std::optional<TBackupRecord> record = ReadBackupRecord(registry, FileNameOfPath(folder));
  if (record && SameFolderPath(record->folder, folder)) return btRecorded;
  return SomethingAt(JoinPath(folder, QV_BACKUP_MANIFEST_NAME)) ? btUnrecorded : btUnverified;
}

TStagedBackup StageRecordedBackup(IFileSystem& fileSystem, IHashing& hashing, const TBackupRecord& record,
                                  const std::string& folder, const std::string& staging) {
  // Each file is held against writers while it is copied, and checked from the copy.
  const std::unique_ptr<IOpenFile> manifestFile =
      fileSystem.OpenFile(JoinPath(folder, QV_BACKUP_MANIFEST_NAME), fomReadDenyWriters);
  if (!manifestFile) return sbChanged;
  const std::string stagedManifest = JoinPath(staging, QV_BACKUP_MANIFEST_NAME);
  const std::optional<TPackageRecord> manifestCopy = CopyAndMeasure(fileSystem, hashing, *manifestFile, stagedManifest);
  if (!manifestCopy) return sbFailed;
  if (manifestCopy->sha256 != record.manifestSha256) return sbChanged;
  const std::optional<std::string> text = ReadStaged(stagedManifest);
  if (!text) return sbFailed;
  const std::optional<std::vector<TManifestEntry>> entries = ReadBackupManifest(*text);
  if (!entries) return sbChanged;
  for (const TManifestEntry& entry : *entries) {
    const std::unique_ptr<IOpenFile> file = fileSystem.OpenFile(JoinPath(folder, entry.name), fomReadDenyWriters);
    if (!file) return sbChanged;
    const std::optional<TPackageRecord> copy = CopyAndMeasure(fileSystem, hashing, *file, JoinPath(staging, entry.name));
    if (!copy) return sbFailed;
    if (copy->size != entry.size || copy->sha256 != entry.sha256) return sbChanged;
  }
  return sbStaged;
}

bool StageUnverifiedBackup(IFileSystem& fileSystem, IHashing& hashing, const std::string& folder,
                           const std::string& staging) {
  std::error_code error;
  for (fs::directory_iterator it(ToPath(folder), error), end; it != end; it.increment(error)) {
    if (error) return false;
    const fs::file_status status = it->symlink_status(error);
    const std::string name = FromPath(it->path().filename());
    if (error || !fs::is_regular_file(status) || !IsPlainFileName(name)) continue;
    // A reparse point is not opened; a file swapped for one meanwhile fails the copy.
    const std::unique_ptr<IOpenFile> file = fileSystem.OpenFile(JoinPath(folder, name), fomReadDenyWriters);
    if (!file || !CopyAndMeasure(fileSystem, hashing, *file, JoinPath(staging, name))) return false;
  }
  return !error;
}
