#include "sysinfo/smbios_structures.h"

#include "sysinfo/smbios.h"
#include "sysinfo/smbios_texts.h"

namespace {

// Size FFFFh: the size is unknown; 7FFFh: the size is in Extended Size.
constexpr uint16_t MEMORY_SIZE_UNKNOWN = 0xFFFF;
constexpr uint16_t MEMORY_SIZE_EXTENDED = 0x7FFF;
constexpr uint16_t MEMORY_SIZE_IN_KILOBYTES = 0x8000;
constexpr uint8_t EXTENDED_SIZE_END = 0x20;

}  // namespace

TSMBiosStructure::TSMBiosStructure(const TSMBios& owner, const TSMBiosTableEntry& entry)
    : m_owner(&owner),
      m_raw(owner.RawData().SMBIOSTableData.data() + entry.index),
      m_entry(entry) {}

uint8_t TSMBiosStructure::Byte(size_t offset) const {
  // The index holds only structures whose formatted area lies inside the table.
  if (m_raw == nullptr || offset >= m_entry.Header.length) return 0;
  return m_raw[offset];
}

uint16_t TSMBiosStructure::Word(size_t offset) const {
  if (m_raw == nullptr || offset + 2 > m_entry.Header.length) return 0;
  return static_cast<uint16_t>(m_raw[offset] | m_raw[offset + 1] << 8);
}

uint32_t TSMBiosStructure::Dword(size_t offset) const {
  if (m_raw == nullptr || offset + 4 > m_entry.Header.length) return 0;
  return static_cast<uint32_t>(Word(offset)) | static_cast<uint32_t>(Word(offset + 2)) << 16;
}

std::string TSMBiosStructure::String(size_t offset) const {
  if (m_owner == nullptr) return {};
  return m_owner->GetSMBiosString(m_entry.index + m_entry.Header.length, Byte(offset));
}

std::string TEnclosureInformation::TypeStr() const { return ChassisTypeText(Type()); }

double TProcessorInformation::GetProcessorVoltage() const {
  const uint8_t voltage = Byte(0x11);
  if (voltage & 0x80) return (voltage & 0x7F) / 10.0;
  if (voltage & 0x01) return 5.0;
  if (voltage & 0x02) return 3.3;
  if (voltage & 0x04) return 2.9;
  return 0;
}

std::string TProcessorInformation::ProcessorUpgradeStr() const { return ProcessorUpgradeText(ProcessorUpgrade()); }

std::string TSystemSlotInformation::GetSlotType() const { return SlotTypeText(Byte(0x05)); }

std::string TSystemSlotInformation::GetSlotDataBusWidth() const { return SlotDataBusWidthText(Byte(0x06)); }

std::string TSystemSlotInformation::GetCurrentUsage() const { return SlotCurrentUsageText(Byte(0x07)); }

int64_t TMemoryDeviceInformation::GetSize() const {
  const uint16_t size = Word(0x0C);
  if (size == MEMORY_SIZE_UNKNOWN) return 0;
  // Before Extended Size existed (a structure shorter than 20h), 7FFFh was 32767 MB.
  // Bit 31 of Extended Size is reserved.
  if (size == MEMORY_SIZE_EXTENDED && Header().length >= EXTENDED_SIZE_END) return Dword(0x1C) & 0x7FFFFFFF;
  if (size & MEMORY_SIZE_IN_KILOBYTES) return (size & 0x7FFF) / 1024;
  return size;
}

std::string TMemoryDeviceInformation::GetMemoryTypeStr() const { return MemoryTypeText(Byte(0x12)); }
