// Builds zip archives in memory for tests and benchmarks: stored and deflated
// entries, folder entries, and entries whose headers lie (CRC, sizes, method,
// flags) so that a reader's checks can be exercised.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TZipBuilderEntry {
  std::string name;                  // bytes as stored in the headers
  std::string content;               // the uncompressed bytes
  std::uint16_t method = 8;          // 0 stored, 8 deflated (anything else is stored as given)
  std::uint16_t flags = 0x0800;      // UTF-8 names by default
  std::optional<std::uint32_t> crc{};// written instead of the real CRC-32
  std::optional<std::uint32_t> size{};// written instead of the real uncompressed size
  std::optional<std::string> data{};// written instead of the compressed bytes
};

class TZipBuilder {
 public:
  TZipBuilder& File(const std::string& name, const std::string& content, std::uint16_t method = 8) {
    m_entries.push_back({name, content, method});
    return *this;
  }
  TZipBuilder& Folder(const std::string& name) {
    m_entries.push_back({name, "", 0});
    return *this;
  }
  TZipBuilder& Entry(TZipBuilderEntry entry) {
    m_entries.push_back(std::move(entry));
    return *this;
  }
  void SetLevel(int level) { m_level = level; }

  // The archive's bytes, behind prefix (a self-extracting stub) when one is given.
  std::string Build(const std::string& prefix = "", const std::string& comment = "") const {
    std::string archive;
    std::string directory;
    for (const auto& entry : m_entries) {
      std::string packed = entry.data ? *entry.data : entry.method == 8 ? Deflate(entry.content) : entry.content;
      std::uint32_t crc = entry.crc ? *entry.crc
                                    : static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(entry.content.data()),
                                                                       static_cast<uInt>(entry.content.size())));
      std::uint32_t size = entry.size ? *entry.size : static_cast<std::uint32_t>(entry.content.size());
      auto offset = static_cast<std::uint32_t>(archive.size());
      auto common = [&](std::string& out) {
        Put16(out, 20);  // version needed
        Put16(out, entry.flags);
        Put16(out, entry.method);
        Put16(out, 0);     // time
        Put16(out, 0x21);  // date: 1980-01-01
        Put32(out, crc);
        Put32(out, static_cast<std::uint32_t>(packed.size()));
        Put32(out, size);
        Put16(out, static_cast<std::uint32_t>(entry.name.size()));
        Put16(out, 0);  // extra field
      };
      Put32(archive, 0x04034b50);
      common(archive);
      archive += entry.name;
      archive += packed;

      Put32(directory, 0x02014b50);
      Put16(directory, 20);  // made by
      common(directory);
      Put16(directory, 0);  // comment
      Put16(directory, 0);  // disk
      Put16(directory, 0);  // internal attributes
      Put32(directory, 0);  // external attributes
      Put32(directory, offset);
      directory += entry.name;
    }
    auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<std::uint32_t>(m_entries.size()));
    Put16(archive, static_cast<std::uint32_t>(m_entries.size()));
    Put32(archive, static_cast<std::uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, static_cast<std::uint32_t>(comment.size()));
    archive += comment;
    return prefix + archive;
  }

  std::string Deflate(const std::string& content) const {
    z_stream stream{};
    if (deflateInit2(&stream, m_level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("zlib cannot start deflating");
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib could not deflate an entry");
    return out;
  }

  static void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
  }
  static void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
  }

 private:
  std::vector<TZipBuilderEntry> m_entries;
  int m_level = Z_DEFAULT_COMPRESSION;
};
