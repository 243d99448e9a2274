#include "engine/work_area.h"

#include <filesystem>
#include <system_error>

#include "core/paths.h"

namespace {

// How many names "<folder>.untrusted-N" are tried for a folder moved aside.
constexpr int MAX_ASIDE_NAMES = 100;

bool SomethingAt(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(ToPath(path), error));
}

}  // namespace

std::string TWorkArea::Root() {
  const std::string programData = m_shell.ProgramDataFolder();
  if (programData.empty()) return {};
  return Ensure(JoinPath(programData, QV_WORK_AREA_NAME));
}

std::string TWorkArea::Folder(const std::string& name) {
  const std::string root = Root();
  return root.empty() ? std::string() : Ensure(JoinPath(root, name));
}

std::string TWorkArea::Ensure(const std::string& path) {
  if (m_fileSystem.IsProtectedFolder(path)) return path;
  if (SomethingAt(path)) {
    // Not ours, or no longer safe: kept for whoever wants to look at it, never used or deleted.
    bool moved = false;
    for (int n = 1; n <= MAX_ASIDE_NAMES && !moved; ++n)
      moved = m_fileSystem.MoveAside(path, path + ".untrusted-" + std::to_string(n));
    if (!moved) return {};
  }
  if (!m_fileSystem.CreateProtectedFolder(path) || !m_fileSystem.IsProtectedFolder(path)) return {};
  return path;
}
