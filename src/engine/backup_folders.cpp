#include "engine/backup_folders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "engine/driver_backup_files.h"

namespace fs = std::filesystem;

namespace {

// A folder itself, not a link to one: a listed folder is deleted with everything in it.
bool IsRealFolder(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  return !error && fs::is_directory(status) && !fs::is_symlink(status);
}

}  // namespace

std::vector<std::string> BackupFolderNames(const std::string& backupRoot) {
  std::vector<std::string> names;
  if (backupRoot.empty()) return names;
  std::error_code error;
  for (fs::directory_iterator it(ToPath(backupRoot), error), end; !error && it != end; it.increment(error)) {
    const std::string name = FromPath(it->path().filename());
    if (IsPlainFileName(name) && IsRealFolder(it->path())) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> BackupFolderPath(const std::string& backupRoot, const std::string& name) {
  if (backupRoot.empty() || !IsPlainFileName(name)) return std::nullopt;
  const std::string path = JoinPath(backupRoot, name);
  if (!IsRealFolder(ToPath(path))) return std::nullopt;
  return path;
}
