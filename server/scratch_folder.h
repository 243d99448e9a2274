// A fresh folder under the system's temporary folder, removed with its contents when it
// leaves scope.
#pragma once

#include <filesystem>
#include <string>

namespace qvserver {

class ScratchFolder {
 public:
  // The folder is named after the prefix, the process id and a per-process counter.
  explicit ScratchFolder(const std::string& prefix);
  // The same, under base instead of the temporary folder.
  ScratchFolder(const std::string& prefix, const std::filesystem::path& base);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace qvserver
