// Fuzzes TZipArchive: the input is written as an archive file and extracted into a
// fresh folder. Whatever the input, nothing may land outside that folder, and an
// extraction that succeeds must have written exactly what ReadEntry returns.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/zip_archive.h"

namespace fs = std::filesystem;

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "zip reader check failed: %s\n", what);
    std::abort();
  }
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of this process for the archive and its extraction, removed at exit.
class TScratch {
 public:
  TScratch() : m_path(fs::temp_directory_path() / ("qv-zip-fuzz-" + std::to_string(getpid()))) {
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~TScratch() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

const fs::path& Scratch() {
  static const TScratch scratch;
  return scratch.Path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path archivePath = Scratch() / "input.zip";
  const fs::path target = Scratch() / "out";
  fs::remove_all(target);
  std::ofstream(archivePath, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  TZipArchive archive;
  if (!archive.Open(archivePath.string())) {
    Require(!archive.ErrorText().empty(), "a failed open explains itself");
    return 0;
  }
  std::vector<std::string> progress;
  bool extracted = archive.ExtractAll(target.string(), [&](const std::string& path) { progress.push_back(path); });
  Require(extracted || !archive.ErrorText().empty(), "a failed extraction explains itself");

  // Only the archive and the target folder may exist in the scratch folder.
  for (const auto& item : fs::directory_iterator(Scratch()))
    Require(item.path() == archivePath || item.path() == target, "nothing is written beside the target folder");

  if (extracted) {
    Require(progress.size() == archive.EntryCount(), "one progress event per entry");
    for (size_t i = 0; i < archive.EntryCount(); ++i) {
      if (archive.Entries()[i].IsFolder()) continue;
      Require(TZipArchive::IsSafeEntryName(archive.Entries()[i].strName), "only safe names are extracted");
      // A later entry of the same name replaces an earlier one.
      bool replacedLater = false;
      for (size_t k = i + 1; k < progress.size(); ++k) replacedLater |= progress[k] == progress[i];
      if (replacedLater) continue;
      std::string content;
      Require(archive.ReadEntry(i, content, UINT64_MAX), "an extracted entry reads again");
      Require(ReadFile(progress[i]) == content, "the file holds the entry's bytes");
    }
  }
  return 0;
}
