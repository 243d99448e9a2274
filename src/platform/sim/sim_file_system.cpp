#include "platform/sim/sim_file_system.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/ascii_case.h"

bool TSimFileSystem::DriveExists(char letter) {
  return drives.count(AsciiUpper(letter)) != 0;
}

bool TSimFileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  std::error_code error;
  std::filesystem::rename(source, target, error);
  if (!error) Record("move " + source + " " + target);
  return !error;
}

bool TSimFileSystem::WriteNewFile(const std::string& path, std::string_view bytes) {
  if (fullDisk) return false;
  bool written = false;
  {
    // "x": fails when the file exists, as CREATE_NEW does.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wbx"), std::fclose);
    if (!file) return false;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() && std::fflush(file.get()) == 0;
  }
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
  }
  Record("flush " + path);
  return true;
}

std::vector<std::string> TSimFileSystem::Log() const {
  std::lock_guard<std::mutex> lock(m_logLock);
  return m_log;
}

void TSimFileSystem::Record(std::string entry) {
  std::lock_guard<std::mutex> lock(m_logLock);
  m_log.push_back(std::move(entry));
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
