#include "platform/sim/demo_smbios_table.h"

#include <initializer_list>
#include <string>

namespace {

struct TField {
  uint8_t offset;
  uint32_t value;
  uint8_t size;  // bytes, little-endian
};

class TDemoTable {
 public:
  // A structure: its formatted area of length bytes (the header filled in here) and its strings.
  void Add(uint8_t type, uint8_t length, std::initializer_list<TField> fields,
           std::initializer_list<std::string> strings) {
    std::vector<uint8_t> area(length, 0);
    area[0] = type;
    area[1] = length;
    area[2] = static_cast<uint8_t>(m_handle);
    area[3] = static_cast<uint8_t>(m_handle >> 8);
    ++m_handle;
    for (const TField& field : fields)
      for (uint8_t i = 0; i < field.size; ++i) area[field.offset + i] = static_cast<uint8_t>(field.value >> (8 * i));
    m_table.insert(m_table.end(), area.begin(), area.end());
    for (const std::string& text : strings) {
      m_table.insert(m_table.end(), text.begin(), text.end());
      m_table.push_back(0);
    }
    if (strings.size() == 0) m_table.push_back(0);
    m_table.push_back(0);
  }

  std::vector<uint8_t> RawSmbiosData(uint8_t major, uint8_t minor) const {
    std::vector<uint8_t> raw = {0, major, minor, 0};
    const auto length = static_cast<uint32_t>(m_table.size());
    for (int shift = 0; shift < 32; shift += 8) raw.push_back(static_cast<uint8_t>(length >> shift));
    raw.insert(raw.end(), m_table.begin(), m_table.end());
    return raw;
  }

 private:
  std::vector<uint8_t> m_table;
  uint16_t m_handle = 0;
};

void AddMemoryDevice(TDemoTable& table, uint32_t sizeMB, const std::string& locator) {
  if (sizeMB == 0) {
    table.Add(17, 0x28, {{0x04, 0x0010, 2}, {0x08, 0xFFFF, 2}, {0x0A, 0xFFFF, 2}, {0x0E, 0x09, 1}, {0x10, 1, 1},
                         {0x11, 2, 1}, {0x12, 0x02, 1}, {0x17, 3, 1}, {0x1A, 4, 1}},
              {locator, "BANK " + locator.substr(locator.size() - 1), "Unknown", "Unknown"});
    return;
  }
  table.Add(17, 0x28, {{0x04, 0x0010, 2}, {0x08, 64, 2}, {0x0A, 64, 2}, {0x0C, sizeMB, 2}, {0x0E, 0x09, 1},
                       {0x10, 1, 1}, {0x11, 2, 1}, {0x12, 0x1A, 1}, {0x15, 3200, 2}, {0x17, 3, 1}, {0x18, 4, 1},
                       {0x1A, 5, 1}, {0x1B, 0x01, 1}, {0x20, 3200, 2}},
            {locator, "BANK " + locator.substr(locator.size() - 1), "Kingston", "2A1B3C4D",
             "KHX3200C16D4/8GX    "});
}

}  // namespace

std::vector<uint8_t> DemoSmbiosTable() {
  TDemoTable table;
  // BIOS: vendor, version, release date.
  table.Add(0, 0x1A, {{0x04, 1, 1}, {0x05, 2, 1}, {0x06, 0xF000, 2}, {0x08, 3, 1}, {0x09, 0xFF, 1}},
            {"American Megatrends Inc.", "3603", "03/22/2022"});
  // System: the firmware's placeholder names.
  table.Add(1, 0x1B, {{0x04, 1, 1}, {0x05, 2, 1}, {0x06, 3, 1}, {0x07, 4, 1}, {0x18, 0x06, 1}},
            {"System manufacturer", "System Product Name", "System Version", "System Serial Number"});
  // Baseboard: manufacturer, product, blank-padded version.
  table.Add(2, 0x0F, {{0x04, 1, 1}, {0x05, 2, 1}, {0x06, 3, 1}, {0x07, 4, 1}, {0x0D, 0x0A, 1}},
            {"ASUSTeK COMPUTER INC.", "PRIME B450M-A", "Rev X.0x  ", "190436720401234"});
  // Enclosure: a desktop.
  table.Add(3, 0x16, {{0x04, 1, 1}, {0x05, 0x03, 1}, {0x09, 0x03, 1}, {0x0A, 0x03, 1}, {0x0B, 0x03, 1}},
            {"Default string"});
  // Processor: AM4, 1.1 V, 4200 MHz at most, 3600 now, six cores, twelve threads.
  table.Add(4, 0x30,
            {{0x04, 1, 1}, {0x05, 0x03, 1}, {0x06, 0x6B, 1}, {0x07, 2, 1}, {0x08, 0x00870F10, 4},
             {0x0C, 0x178BFBFF, 4}, {0x10, 3, 1}, {0x11, 0x8B, 1}, {0x12, 100, 2}, {0x14, 4200, 2},
             {0x16, 3600, 2}, {0x18, 0x41, 1}, {0x19, 0x31, 1}, {0x1A, 0xFFFF, 2}, {0x1C, 0xFFFF, 2},
             {0x1E, 0xFFFF, 2}, {0x23, 6, 1}, {0x24, 6, 1}, {0x25, 12, 1}, {0x26, 0x00FC, 2}, {0x28, 0x6B, 2},
             {0x2A, 6, 2}, {0x2C, 6, 2}, {0x2E, 12, 2}},
            {"AM4", "Advanced Micro Devices, Inc.", "AMD Ryzen 5 3600 6-Core Processor"});
  // Slots: type, data bus width, current usage.
  table.Add(9, 0x11, {{0x04, 1, 1}, {0x05, 0xB6, 1}, {0x06, 0x0D, 1}, {0x07, 0x04, 1}, {0x08, 0x04, 1}}, {"PCIEX16_1"});
  table.Add(9, 0x11, {{0x04, 1, 1}, {0x05, 0xAC, 1}, {0x06, 0x08, 1}, {0x07, 0x03, 1}, {0x08, 0x03, 1}}, {"PCIEX1_1"});
  table.Add(9, 0x11, {{0x04, 1, 1}, {0x05, 0xB4, 1}, {0x06, 0x0A, 1}, {0x07, 0x03, 1}, {0x08, 0x04, 1}}, {"PCIEX16_2"});
  // Memory: four sockets, two filled.
  AddMemoryDevice(table, 8192, "DIMM_A1");
  AddMemoryDevice(table, 0, "DIMM_A2");
  AddMemoryDevice(table, 8192, "DIMM_B1");
  AddMemoryDevice(table, 0, "DIMM_B2");
  table.Add(127, 0x04, {}, {});
  return table.RawSmbiosData(3, 3);
}
