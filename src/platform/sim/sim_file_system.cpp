#include "platform/sim/sim_file_system.h"

#include <filesystem>
#include <system_error>

#include "platform/ascii_case.h"

bool TSimFileSystem::DriveExists(char letter) {
  return drives.count(AsciiUpper(letter)) != 0;
}

bool TSimFileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  std::error_code error;
  std::filesystem::rename(source, target, error);
  return !error;
}

bool TSimFileSystem::DeleteTree(uintptr_t, const std::string& path) {
  const std::filesystem::path tree(std::u8string(path.begin(), path.end()));
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(std::filesystem::symlink_status(tree, error))) return false;
  std::filesystem::remove_all(tree, error);
  return !error;
}

bool TSimFileSystem::IsReparsePoint(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(std::filesystem::path(std::u8string(path.begin(), path.end())), error));
}
