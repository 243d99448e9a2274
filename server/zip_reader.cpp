// Reads a zip archive's central directory and inflates single entries with zlib.
#include "zip_reader.h"

#include <zlib.h>

#include <algorithm>

#include "package_error.h"

namespace qvserver {

namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint64_t kEndRecordSize = 22;
constexpr std::uint64_t kMaxCommentSize = 65535;

std::uint32_t le16(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}
std::uint32_t le32(const std::string& bytes, size_t at) { return le16(bytes, at) | le16(bytes, at + 2) << 16; }

std::string inflate_raw(const std::string& compressed, std::uint64_t expected_size, const std::string& name) {
  std::string out(static_cast<size_t>(expected_size), '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw ImportError("zlib cannot start inflating");
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int result = inflate(&stream, Z_FINISH);
  std::uint64_t produced = stream.total_out;
  inflateEnd(&stream);
  if (result != Z_STREAM_END || produced != expected_size) throw ImportError("zip entry " + name + " has damaged deflate data");
  return out;
}

}  // namespace

bool escapes_folder(const std::string& entry_name) {
  if (entry_name.empty()) return false;
  if (entry_name.front() == '/' || (entry_name.size() >= 2 && entry_name[1] == ':')) return true;
  size_t start = 0;
  while (start <= entry_name.size()) {
    size_t end = entry_name.find('/', start);
    if (end == std::string::npos) end = entry_name.size();
    if (entry_name.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

std::string ZipArchive::read_at(std::uint64_t offset, std::uint64_t size) {
  if (offset > file_size_ || size > file_size_ - offset) throw ImportError("zip data runs past the end of the file");
  std::string bytes(static_cast<size_t>(size), '\0');
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  if (!file_.read(bytes.data(), static_cast<std::streamsize>(size))) throw ImportError("cannot read the zip data");
  return bytes;
}

std::optional<ZipArchive> ZipArchive::open(const std::filesystem::path& path) {
  std::error_code error;
  auto file_size = std::filesystem::file_size(path, error);
  std::ifstream file(path, std::ios::binary);
  if (error || !file) throw ImportError("cannot read " + path.string());
  ZipArchive zip(std::move(file), file_size);
  if (file_size < kEndRecordSize) return std::nullopt;

  std::uint64_t tail_size = std::min<std::uint64_t>(file_size, kEndRecordSize + kMaxCommentSize);
  std::string tail = zip.read_at(file_size - tail_size, tail_size);
  std::optional<size_t> end_at;
  for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
    if (le32(tail, at) == kEndOfDirectory) {
      end_at = at;
      break;
    }
  }
  if (!end_at) return std::nullopt;

  std::uint32_t count = le16(tail, *end_at + 10);
  std::uint32_t directory_size = le32(tail, *end_at + 12);
  std::uint32_t directory_offset = le32(tail, *end_at + 16);
  if (count == 0xFFFF || directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF)
    throw ImportError("zip64 archives are not supported");
  std::int64_t end_position = static_cast<std::int64_t>(file_size - tail_size + *end_at);
  zip.base_ = end_position - static_cast<std::int64_t>(directory_offset) - directory_size;
  if (zip.base_ < 0) throw ImportError("damaged zip directory");

  std::string directory = zip.read_at(static_cast<std::uint64_t>(zip.base_) + directory_offset, directory_size);
  size_t at = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 46 > directory.size() || le32(directory, at) != kDirectoryEntry) throw ImportError("damaged zip directory");
    ZipEntry entry;
    entry.flags = static_cast<std::uint16_t>(le16(directory, at + 8));
    entry.method = static_cast<std::uint16_t>(le16(directory, at + 10));
    entry.crc = le32(directory, at + 16);
    entry.compressed_size = le32(directory, at + 20);
    entry.size = le32(directory, at + 24);
    size_t name_size = le16(directory, at + 28);
    size_t extra_size = le16(directory, at + 30);
    size_t comment_size = le16(directory, at + 32);
    entry.local_offset = le32(directory, at + 42);
    if (at + 46 + name_size + extra_size + comment_size > directory.size()) throw ImportError("damaged zip directory");
    entry.name = directory.substr(at + 46, name_size);
    std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
    zip.entries_.push_back(std::move(entry));
    at += 46 + name_size + extra_size + comment_size;
  }
  return zip;
}

std::string ZipArchive::read(const ZipEntry& entry, std::uint64_t max_size) {
  if (entry.size > max_size || entry.compressed_size > max_size + 1024)
    throw ImportError("zip entry " + entry.name + " is too large");
  if (entry.flags & 1) throw ImportError("zip entry " + entry.name + " is encrypted");
  std::uint64_t header_at = static_cast<std::uint64_t>(base_) + entry.local_offset;
  std::string header = read_at(header_at, 30);
  if (le32(header, 0) != kLocalHeader) throw ImportError("damaged zip entry " + entry.name);
  std::uint64_t data_at = header_at + 30 + le16(header, 26) + le16(header, 28);
  std::string data = read_at(data_at, entry.compressed_size);
  std::string content;
  if (entry.method == 0) {
    if (entry.compressed_size != entry.size) throw ImportError("damaged zip entry " + entry.name);
    content = std::move(data);
  } else if (entry.method == 8) {
    content = inflate_raw(data, entry.size, entry.name);
  } else {
    throw ImportError("zip entry " + entry.name + " uses an unsupported compression method");
  }
  auto crc = crc32(0L, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()));
  if (crc != entry.crc) throw ImportError("zip entry " + entry.name + " fails its checksum");
  return content;
}

}  // namespace qvserver
