// Writes a small zip archive with deflated entries (zlib), for the test packages.
#include "zip_writer.h"

#include <zlib.h>

#include <cstdint>

#include "archive/zip_deflate.h"

namespace qvserver {

namespace {

void put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

std::string make_zip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string archive;
  std::string directory;
  for (const auto& [name, content] : entries) {
    std::string packed = DeflateRaw(content, Z_BEST_COMPRESSION);
    auto crc = static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(content.data()),
                                                static_cast<uInt>(content.size())));
    auto offset = static_cast<std::uint32_t>(archive.size());
    auto common = [&](std::string& out) {
      put16(out, 20);      // version needed
      put16(out, 0x0800);  // names are UTF-8
      put16(out, 8);       // deflate
      put16(out, 0);       // time
      put16(out, 0x21);    // date: 1980-01-01
      put32(out, crc);
      put32(out, static_cast<std::uint32_t>(packed.size()));
      put32(out, static_cast<std::uint32_t>(content.size()));
      put16(out, static_cast<std::uint32_t>(name.size()));
      put16(out, 0);  // extra
    };
    put32(archive, 0x04034b50);
    common(archive);
    archive += name;
    archive += packed;

    put32(directory, 0x02014b50);
    put16(directory, 20);  // made by
    common(directory);
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, 0);  // internal attributes
    put32(directory, 0);  // external attributes
    put32(directory, offset);
    directory += name;
  }
  auto directory_offset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  put32(archive, 0x06054b50);
  put16(archive, 0);
  put16(archive, 0);
  put16(archive, static_cast<std::uint32_t>(entries.size()));
  put16(archive, static_cast<std::uint32_t>(entries.size()));
  put32(archive, static_cast<std::uint32_t>(directory.size()));
  put32(archive, directory_offset);
  put16(archive, 0);
  return archive;
}

}  // namespace qvserver
