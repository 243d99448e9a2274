#include "sysinfo/smbios.h"

#include <algorithm>
#include <utility>

#include "sysinfo/smbios_source.h"

namespace {

constexpr size_t HEADER_SIZE = 4;
constexpr uint8_t END_OF_TABLE = TableType(TSMBiosTablesTypes::EndofTable);

}  // namespace

TSMBios::TSMBios(IFirmwareTables& firmware, ILocale& locale) : TSMBios(ReadLocalSmbiosTable(firmware), locale) {}

TSMBios::TSMBios(TRawSMBIOSData data, ILocale& locale) : m_locale(locale), m_data(std::move(data)) {
  if (m_data.SMBIOSTableData.size() > m_data.Length) m_data.SMBIOSTableData.resize(m_data.Length);
  m_data.Length = static_cast<uint32_t>(m_data.SMBIOSTableData.size());
  BuildIndex();
  BuildObjects();
}

void TSMBios::BuildIndex() {
  const std::vector<uint8_t>& table = m_data.SMBIOSTableData;
  const size_t size = table.size();
  size_t position = 0;
  // Only complete structures enter the index: a header with a formatted length of
  // at least 4, the formatted area and the string set's double NUL all inside the table.
  while (position + HEADER_SIZE <= size) {
    TSmBiosTableHeader header{table[position], table[position + 1],
                              static_cast<uint16_t>(table[position + 2] | table[position + 3] << 8)};
    if (header.length < HEADER_SIZE || position + header.length > size) break;
    size_t end = position + header.length;
    while (end + 1 < size && (table[end] != 0 || table[end + 1] != 0)) ++end;
    if (end + 1 >= size) break;
    m_entries.push_back({header, static_cast<int32_t>(position)});
    if (header.type == END_OF_TABLE) break;
    position = end + 2;
  }
}

template <typename T>
std::vector<T> TSMBios::Wrap(TSMBiosTablesTypes tableType) const {
  std::vector<T> objects;
  for (const TSMBiosTableEntry& entry : m_entries)
    if (entry.Header.type == TableType(tableType)) objects.emplace_back(*this, entry);
  return objects;
}

void TSMBios::BuildObjects() {
  for (const TSMBiosTableEntry& entry : m_entries)
    if (entry.Header.type != END_OF_TABLE) m_structures[entry.Header.type].emplace_back(*this, entry);
  if (auto bios = Wrap<TBiosInformation>(TSMBiosTablesTypes::BIOSInformation); !bios.empty())
    m_biosInfo = bios.front();
  if (auto system = Wrap<TSystemInformation>(TSMBiosTablesTypes::SystemInformation); !system.empty())
    m_sysInfo = system.front();
  m_baseBoardInfo = Wrap<TBaseBoardInformation>(TSMBiosTablesTypes::BaseBoardInformation);
  m_enclosureInfo = Wrap<TEnclosureInformation>(TSMBiosTablesTypes::EnclosureInformation);
  m_processorInfo = Wrap<TProcessorInformation>(TSMBiosTablesTypes::ProcessorInformation);
  m_systemSlotInfo = Wrap<TSystemSlotInformation>(TSMBiosTablesTypes::SystemSlotsInformation);
  m_memoryDeviceInfo = Wrap<TMemoryDeviceInformation>(TSMBiosTablesTypes::MemoryDevice);
}

const std::vector<TSMBiosStructure>& TSMBios::Structures(uint8_t tableType) const {
  static const std::vector<TSMBiosStructure> none;
  const auto found = m_structures.find(tableType);
  return found == m_structures.end() ? none : found->second;
}

int TSMBios::GetSMBiosTableEntries(uint8_t tableType) const {
  if (tableType == END_OF_TABLE) return 0;
  return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(), [tableType](const TSMBiosTableEntry& e) {
    return e.Header.type == tableType;
  }));
}

int32_t TSMBios::GetSMBiosTableNextIndex(uint8_t tableType, int32_t offset) const {
  for (const TSMBiosTableEntry& entry : m_entries)
    if (entry.Header.type == tableType && entry.index > offset) return entry.index;
  return -1;
}

std::string TSMBios::GetSMBiosString(int32_t entry, int index) const {
  const std::vector<uint8_t>& table = m_data.SMBIOSTableData;
  if (index <= 0 || entry < 0) return {};
  size_t position = static_cast<size_t>(entry);
  for (int number = 1; position < table.size(); ++number) {
    const auto begin = table.begin() + static_cast<std::ptrdiff_t>(position);
    const auto end = std::find(begin, table.end(), uint8_t{0});
    // An empty string ends the set; a string without its NUL is cut off by the table's end.
    if (begin == end || end == table.end()) return {};
    if (number == index) return m_locale.AnsiToUtf8(std::string(begin, end));
    position += static_cast<size_t>(end - begin) + 1;
  }
  return {};
}
