// A fresh folder under the system's temporary folder, removed with its contents.
#include "scratch_folder.h"

#include <unistd.h>

#include <atomic>

namespace qvserver {

namespace {

int next_number() {
  static std::atomic<int> counter{0};  // unique names for folders made by several threads
  return counter++;
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& prefix) : ScratchFolder(prefix, std::filesystem::temp_directory_path()) {}

ScratchFolder::ScratchFolder(const std::string& prefix, const std::filesystem::path& base)
    : path_(base / (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(next_number()))) {
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace qvserver
