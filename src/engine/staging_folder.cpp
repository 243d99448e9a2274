#include "engine/staging_folder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/paths.h"
#include "engine/work_area.h"
#include "platform/path_parts.h"

namespace {

constexpr int MAX_NAME_TRIES = 100;
constexpr size_t COPY_BLOCK = 256 * 1024;

// A name unlikely to be taken; a taken one only costs another try.
std::string FreshName() {
  static std::atomic<uint32_t> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::to_string(static_cast<uint64_t>(ticks)) + "-" + std::to_string(++counter);
}

bool CopyAll(IOpenFile& source, IOpenFile& target) {
  if (!source.Rewind()) return false;
  std::vector<char> buffer(COPY_BLOCK);
  for (;;) {
    size_t read = 0;
    if (!source.Read(buffer.data(), buffer.size(), read)) return false;
    if (read == 0) return true;
    if (!target.Write(buffer.data(), read)) return false;
  }
}

}  // namespace

std::unique_ptr<TStagingFolder> TStagingFolder::Create(IShell& shell, IFileSystem& fileSystem) {
  const std::string staging = TWorkArea(shell, fileSystem).Folder(QV_STAGING_FOLDER_NAME);
  if (staging.empty()) return nullptr;
  for (int attempt = 0; attempt < MAX_NAME_TRIES; ++attempt) {
    const std::string path = JoinPath(staging, FreshName());
    if (fileSystem.CreateProtectedFolder(path))
      return std::unique_ptr<TStagingFolder>(new TStagingFolder(fileSystem, path));
  }
  return nullptr;
}

TStagingFolder::~TStagingFolder() { m_fileSystem.DeleteTree(0, m_path); }

std::optional<TPackageRecord> CopyAndMeasure(IFileSystem& fileSystem, IHashing& hashing, IOpenFile& source,
                                             const std::string& target) {
  bool copied = false;
  {
    const std::unique_ptr<IOpenFile> copy = fileSystem.OpenFile(target, fomCreateExclusive);
    if (!copy) return std::nullopt;
    copied = CopyAll(source, *copy);
  }
  std::optional<TPackageRecord> measured;
  if (copied) {
    const std::unique_ptr<IOpenFile> written = fileSystem.OpenFile(target, fomReadDenyWriters);
    if (written) measured = MeasurePackage(hashing, *written, FileNameOfPath(target));
  }
  if (!measured) {
    std::error_code ignored;
    std::filesystem::remove(ToPath(target), ignored);
  }
  return measured;
}
