// Builds SMBIOS tables in memory for tests, benchmarks and corpus files: structures
// of any formatted length with their strings, the typed structures the program
// reads, bytes as they are (for broken tables), the RawSMBIOSData that Windows
// gives (with a Length that may lie), and the dump file dmidecode reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/smbios_types.h"

// A little-endian field of a structure's formatted area.
struct TSmbiosField {
  size_t offset;
  uint64_t value;
  size_t size = 1;
};

struct TProcessorSpec {
  std::string socket = "CPU0";
  std::string manufacturer = "Intel(R) Corporation";
  std::string version = "Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz";
  uint8_t voltage = 0x8C;
  uint16_t maxSpeed = 4200;
  uint16_t currentSpeed = 3600;
  uint8_t upgrade = 0x32;
  uint8_t cores = 4;
  uint8_t threads = 8;
  uint8_t length = 0x30;  // 2.3: 0x23, 2.5: 0x28, 3.0: 0x30
};

struct TMemorySpec {
  uint16_t size = 8192;  // the Size field as stored
  uint32_t extendedSize = 0;
  uint8_t type = 0x1A;
  std::string locator = "DIMM 0";
  std::string manufacturer = "Samsung";
  std::string partNumber = "M378A1K43CB2-CTD";
  uint8_t length = 0x28;  // 2.3: 0x1B, 2.7: 0x22, 2.8: 0x28
};

class TSmbiosBuilder {
 public:
  TSmbiosBuilder(uint8_t major, uint8_t minor) : m_major(major), m_minor(minor) {}

  // A structure of length formatted bytes (the header filled in here), its fields and
  // its strings; without strings, the empty string set (two NULs).
  TSmbiosBuilder& Structure(uint8_t type, uint8_t length, const std::vector<TSmbiosField>& fields,
                            const std::vector<std::string>& strings = {}) {
    std::vector<uint8_t> area(std::max<size_t>(length, 4), 0);
    area[0] = type;
    area[1] = length;
    area[2] = static_cast<uint8_t>(m_handle);
    area[3] = static_cast<uint8_t>(m_handle >> 8);
    ++m_handle;
    for (const TSmbiosField& field : fields)
      for (size_t i = 0; i < field.size && field.offset + i < area.size(); ++i)
        area[field.offset + i] = static_cast<uint8_t>(field.value >> (8 * i));
    area.resize(length);
    m_table.insert(m_table.end(), area.begin(), area.end());
    for (const std::string& text : strings) {
      m_table.insert(m_table.end(), text.begin(), text.end());
      m_table.push_back(0);
    }
    if (strings.empty()) m_table.push_back(0);
    m_table.push_back(0);
    ++m_structures;
    return *this;
  }

  // Bytes appended as they are.
  TSmbiosBuilder& Bytes(const std::vector<uint8_t>& bytes) {
    m_table.insert(m_table.end(), bytes.begin(), bytes.end());
    return *this;
  }

  TSmbiosBuilder& Bios(const std::string& vendor, const std::string& version, const std::string& date,
                       uint8_t length = 0x18) {
    Strings s;
    return Structure(0, length,
                     {{0x04, s(vendor)}, {0x05, s(version)}, {0x06, 0xE800, 2}, {0x08, s(date)}, {0x09, 0x0F},
                      {0x0A, 0x08, 8}},
                     s.texts);
  }

  TSmbiosBuilder& System(const std::string& manufacturer, const std::string& product, const std::string& serial = "",
                         uint8_t length = 0x1B) {
    Strings s;
    return Structure(1, length,
                     {{0x04, s(manufacturer)}, {0x05, s(product)}, {0x07, s(serial)}, {0x18, 0x06}}, s.texts);
  }

  TSmbiosBuilder& BaseBoard(const std::string& manufacturer, const std::string& product, const std::string& version,
                            uint8_t length = 0x0F) {
    Strings s;
    return Structure(2, length, {{0x04, s(manufacturer)}, {0x05, s(product)}, {0x06, s(version)}, {0x0D, 0x0A}},
                     s.texts);
  }

  TSmbiosBuilder& Enclosure(uint8_t type, uint8_t length = 0x15) {
    return Structure(3, length, {{0x05, type}, {0x09, 0x03}, {0x0A, 0x03}, {0x0B, 0x03}, {0x0C, 0x02}});
  }

  TSmbiosBuilder& Processor(const TProcessorSpec& p) {
    Strings s;
    return Structure(4, p.length,
                     {{0x04, s(p.socket)},
                      {0x05, 0x03},
                      {0x06, 0xC6},
                      {0x07, s(p.manufacturer)},
                      {0x08, 0xBFEBFBFF000906E9, 8},
                      {0x10, s(p.version)},
                      {0x11, p.voltage},
                      {0x12, 100, 2},
                      {0x14, p.maxSpeed, 2},
                      {0x16, p.currentSpeed, 2},
                      {0x18, 0x41},
                      {0x19, p.upgrade},
                      {0x1A, 0xFFFFFFFFFFFF, 6},
                      {0x23, p.cores},
                      {0x24, p.cores},
                      {0x25, p.threads},
                      {0x26, 0x00FC, 2},
                      {0x28, 0xC6, 2},
                      {0x2A, p.cores, 2},
                      {0x2C, p.cores, 2},
                      {0x2E, p.threads, 2}},
                     s.texts);
  }

  TSmbiosBuilder& MemoryDevice(const TMemorySpec& m) {
    Strings s;
    return Structure(17, m.length,
                     {{0x04, 0x1000, 2},
                      {0x06, 0xFFFE, 2},
                      {0x08, 64, 2},
                      {0x0A, 64, 2},
                      {0x0C, m.size, 2},
                      {0x0E, 0x09},
                      {0x10, s(m.locator)},
                      {0x12, m.type},
                      {0x13, 0x0080, 2},
                      {0x15, 2666, 2},
                      {0x17, s(m.manufacturer)},
                      {0x1A, s(m.partNumber)},
                      {0x1C, m.extendedSize, 4},
                      {0x20, 2666, 2}},
                     s.texts);
  }

  TSmbiosBuilder& Slot(uint8_t type, uint8_t width, uint8_t usage, const std::string& designation = "SLOT",
                       uint8_t length = 0x11) {
    Strings s;
    return Structure(9, length, {{0x04, s(designation)}, {0x05, type}, {0x06, width}, {0x07, usage}, {0x08, 0x04}},
                     s.texts);
  }

  TSmbiosBuilder& End() { return Structure(127, 4, {}); }

  const std::vector<uint8_t>& Table() const { return m_table; }
  int StructureCount() const { return m_structures; }

  // RawSMBIOSData: the header (with the given Length, by default the table's), then the table.
  std::vector<uint8_t> RawSmbiosData(std::optional<uint32_t> length = std::nullopt) const {
    const uint32_t stated = length.value_or(static_cast<uint32_t>(m_table.size()));
    std::vector<uint8_t> raw = {0, m_major, m_minor, 0};
    for (int shift = 0; shift < 32; shift += 8) raw.push_back(static_cast<uint8_t>(stated >> shift));
    raw.insert(raw.end(), m_table.begin(), m_table.end());
    return raw;
  }

  TRawSMBIOSData Data() const {
    TRawSMBIOSData data;
    data.SMBIOSMajorVersion = m_major;
    data.SMBIOSMinorVersion = m_minor;
    data.Length = static_cast<uint32_t>(m_table.size());
    data.SMBIOSTableData = m_table;
    return data;
  }

  // The file "dmidecode --dump-bin" writes and "--from-dump" reads: an entry point
  // ("_SM3_" for version 3, else "_SM_" with its "_DMI_" part) whose table address
  // is 32, then the table at offset 32.
  std::vector<uint8_t> DmidecodeDump() const {
    std::vector<uint8_t> dump(32, 0);
    auto put = [&dump](size_t at, uint64_t value, size_t size) {
      for (size_t i = 0; i < size; ++i) dump[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    auto checksum = [&dump](size_t at, size_t size, size_t into) {
      uint8_t sum = 0;
      for (size_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + dump[at + i]);
      dump[into] = static_cast<uint8_t>(0x100 - sum);
    };
    if (m_major >= 3) {
      std::copy_n("_SM3_", 5, dump.begin());
      put(0x06, 0x18, 1);
      put(0x07, m_major, 1);
      put(0x08, m_minor, 1);
      put(0x0A, 1, 1);
      put(0x0C, m_table.size(), 4);
      put(0x10, 32, 8);
      checksum(0, 0x18, 0x05);
    } else {
      std::copy_n("_SM_", 4, dump.begin());
      put(0x05, 0x1F, 1);
      put(0x06, m_major, 1);
      put(0x07, m_minor, 1);
      put(0x08, 0x100, 2);
      std::copy_n("_DMI_", 5, dump.begin() + 0x10);
      put(0x16, m_table.size(), 2);
      put(0x18, 32, 4);
      put(0x1C, m_structures, 2);
      put(0x1E, m_major << 4 | m_minor, 1);
      checksum(0x10, 0x0F, 0x15);
      checksum(0, 0x1F, 0x04);
    }
    dump.insert(dump.end(), m_table.begin(), m_table.end());
    return dump;
  }

 private:
  // Numbers the non-empty strings of one structure from 1; an empty text is string 0.
  struct Strings {
    std::vector<std::string> texts;
    uint64_t operator()(const std::string& text) {
      if (text.empty()) return 0;
      texts.push_back(text);
      return texts.size();
    }
  };

  uint8_t m_major;
  uint8_t m_minor;
  std::vector<uint8_t> m_table;
  uint16_t m_handle = 0;
  int m_structures = 0;
};
