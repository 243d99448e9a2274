// Fuzzes TZipArchive: the input is written as an archive file and extracted into a
// fresh folder. Whatever the input, nothing may land outside that folder, and an
// extraction that succeeds must have written exactly what ReadEntry returns, and an
// entry zlib inflates whole in one call is read back byte for byte.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <zlib.h>

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

// An entry zlib itself inflates in one call to its declared size and CRC-32: the
// bytes any other unzip tool would read (those of an archive Python's zipfile
// wrote, for one). Nothing for entries it cannot judge that way.
std::optional<std::string> ReferenceContent(const uint8_t* data, size_t size, const TZipEntry& entry) {
  constexpr std::uint64_t MAX_SIZE = 64 * 1024 * 1024;
  if (entry.nMethod != 8 || (entry.nFlags & 1) || entry.nSize > MAX_SIZE) return std::nullopt;
  auto at16 = [&](std::uint64_t offset) { return static_cast<unsigned>(data[offset] | data[offset + 1] << 8); };
  const std::uint64_t header = entry.nLocalHeaderOffset;
  if (header > size || size - header < 30 || at16(header) != 0x4b50 || at16(header + 2) != 0x0403) return std::nullopt;
  const std::uint64_t start = header + 30 + at16(header + 26) + at16(header + 28);
  if (start > size || size - start < entry.nCompressedSize) return std::nullopt;
  std::string out(static_cast<size_t>(entry.nSize), '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
  stream.next_in = const_cast<Bytef*>(data + start);
  stream.avail_in = static_cast<uInt>(entry.nCompressedSize);
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.total_out == entry.nSize;
  inflateEnd(&stream);
  if (!whole || crc32(0L, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) != entry.nCrc32)
    return std::nullopt;
  return out;
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
  // What zlib reads whole in one call, the reader reads too, byte for byte.
  for (size_t i = 0; i < archive.EntryCount(); ++i) {
    if (archive.Entries()[i].IsFolder()) continue;
    if (std::optional<std::string> expected = ReferenceContent(data, size, archive.Entries()[i])) {
      std::string content;
      Require(archive.ReadEntry(i, content, UINT64_MAX), "an entry zlib inflates whole is read");
      Require(content == *expected, "an entry zlib inflates whole is read byte for byte");
    }
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
