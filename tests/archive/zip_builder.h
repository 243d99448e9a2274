// Builds zip archives in memory for tests and benchmarks: stored and deflated
// entries, folder entries, data descriptors, Zip64 records, and entries whose
// headers lie (CRC, sizes, method, flags) so that a reader's checks can be exercised.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_deflate.h"

struct TZipBuilderEntry {
  std::string name;                  // bytes as stored in the headers
  std::string content;               // the uncompressed bytes
  std::uint16_t method = 8;          // 0 stored, 8 deflated (anything else is stored as given)
  std::uint16_t flags = 0x0800;      // UTF-8 names by default
  std::optional<std::uint32_t> crc{};// written instead of the real CRC-32
  std::optional<std::uint32_t> size{};// written instead of the real uncompressed size
  std::optional<std::string> data{};// written instead of the compressed bytes
  bool descriptor = false;           // CRC and sizes after the data, zeros in the local header (flag 8)
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
  // Writes every size and offset in Zip64 fields and ends with the Zip64 records.
  void SetZip64(bool zip64) { m_zip64 = zip64; }

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
      std::uint64_t offset = archive.size();
      std::uint16_t flags = static_cast<std::uint16_t>(entry.flags | (entry.descriptor ? 0x08 : 0));
      auto common = [&](std::string& out, bool local) {
        bool blank = local && entry.descriptor;
        Put16(out, m_zip64 ? 45 : 20);  // version needed
        Put16(out, flags);
        Put16(out, entry.method);
        Put16(out, 0);     // time
        Put16(out, 0x21);  // date: 1980-01-01
        Put32(out, blank ? 0 : crc);
        Put32(out, m_zip64 ? 0xFFFFFFFF : blank ? 0 : static_cast<std::uint32_t>(packed.size()));
        Put32(out, m_zip64 ? 0xFFFFFFFF : blank ? 0 : size);
        Put16(out, static_cast<std::uint32_t>(entry.name.size()));
        Put16(out, m_zip64 ? (local ? 20 : 28) : 0);  // extra field
      };
      auto zip64Extra = [&](std::string& out, bool local) {
        Put16(out, 0x0001);
        Put16(out, local ? 16 : 24);
        Put64(out, local && entry.descriptor ? 0 : size);
        Put64(out, local && entry.descriptor ? 0 : packed.size());
        if (!local) Put64(out, offset);
      };
      Put32(archive, 0x04034b50);
      common(archive, true);
      archive += entry.name;
      if (m_zip64) zip64Extra(archive, true);
      archive += packed;
      if (entry.descriptor) {
        Put32(archive, 0x08074b50);
        Put32(archive, crc);
        if (m_zip64) {
          Put64(archive, packed.size());
          Put64(archive, size);
        } else {
          Put32(archive, static_cast<std::uint32_t>(packed.size()));
          Put32(archive, size);
        }
      }

      Put32(directory, 0x02014b50);
      Put16(directory, 45);  // made by
      common(directory, false);
      Put16(directory, 0);  // comment
      Put16(directory, 0);  // disk
      Put16(directory, 0);  // internal attributes
      Put32(directory, 0);  // external attributes
      Put32(directory, m_zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(offset));
      directory += entry.name;
      if (m_zip64) zip64Extra(directory, false);
    }
    std::uint64_t directoryOffset = archive.size();
    archive += directory;
    if (m_zip64) {
      std::uint64_t recordOffset = archive.size();
      Put32(archive, 0x06064b50);
      Put64(archive, 44);  // size of the rest of the record
      Put16(archive, 45);
      Put16(archive, 45);
      Put32(archive, 0);
      Put32(archive, 0);
      Put64(archive, m_entries.size());
      Put64(archive, m_entries.size());
      Put64(archive, directory.size());
      Put64(archive, directoryOffset);
      Put32(archive, 0x07064b50);  // locator
      Put32(archive, 0);
      Put64(archive, recordOffset);
      Put32(archive, 1);
    }
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, m_zip64 ? 0xFFFF : static_cast<std::uint32_t>(m_entries.size()));
    Put16(archive, m_zip64 ? 0xFFFF : static_cast<std::uint32_t>(m_entries.size()));
    Put32(archive, m_zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(directory.size()));
    Put32(archive, m_zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(directoryOffset));
    Put16(archive, static_cast<std::uint32_t>(comment.size()));
    archive += comment;
    return prefix + archive;
  }

  std::string Deflate(const std::string& content) const { return DeflateRaw(content, m_level); }

  static void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
  }
  static void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
  }
  static void Put64(std::string& out, std::uint64_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, static_cast<std::uint32_t>(value >> 32));
  }

 private:
  std::vector<TZipBuilderEntry> m_entries;
  int m_level = Z_DEFAULT_COMPRESSION;
  bool m_zip64 = false;
};
