// Reads the central directory of a zip archive (also one appended to a self-extracting
// exe) and inflates single entries with zlib.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace qvserver {

struct ZipEntry {
  std::string name;  // as stored, "\" turned into "/"
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressed_size = 0;
  std::uint64_t size = 0;
  std::uint64_t local_offset = 0;
  bool is_directory() const { return !name.empty() && name.back() == '/'; }
};

// True when extracting the entry would leave its folder: an absolute name, a drive
// letter, or a ".." element.
bool escapes_folder(const std::string& entry_name);

class ZipArchive {
 public:
  // Nothing when the file holds no zip directory; ImportError when it is damaged.
  static std::optional<ZipArchive> open(const std::filesystem::path& file);

  const std::vector<ZipEntry>& entries() const { return entries_; }
  // The entry's bytes, stored or deflated; ImportError when it is larger than max_size,
  // encrypted, of another method, or fails its CRC.
  std::string read(const ZipEntry& entry, std::uint64_t max_size);

 private:
  ZipArchive(std::ifstream file, std::uint64_t file_size) : file_(std::move(file)), file_size_(file_size) {}
  std::string read_at(std::uint64_t offset, std::uint64_t size);

  std::ifstream file_;
  std::uint64_t file_size_ = 0;
  std::int64_t base_ = 0;  // bytes in front of the archive (self-extracting stub)
  std::vector<ZipEntry> entries_;
};

}  // namespace qvserver
