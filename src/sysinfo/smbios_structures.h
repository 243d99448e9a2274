// Typed read access to the SMBIOS structures the program uses. Each object points
// into its TSMBios's one copy of the table and is valid while that lives. A field
// beyond a structure's formatted length reads as 0, its string as empty; an object
// that points nowhere (a table without that structure) reads the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sysinfo/smbios_types.h"

class TSMBios;

class TSMBiosStructure {
 public:
  TSMBiosStructure() = default;
  TSMBiosStructure(const TSMBios& owner, const TSMBiosTableEntry& entry);

  bool Present() const { return m_owner != nullptr; }
  const TSmBiosTableHeader& Header() const { return m_entry.Header; }
  // The structure's byte position in the table.
  int32_t Index() const { return m_entry.index; }
  // Its first byte inside the table; none when the object points nowhere.
  const uint8_t* Raw() const { return m_raw; }

  uint8_t Byte(size_t offset) const;
  uint16_t Word(size_t offset) const;
  uint32_t Dword(size_t offset) const;
  // The string whose number the byte at offset holds.
  std::string String(size_t offset) const;

 private:
  const TSMBios* m_owner = nullptr;
  const uint8_t* m_raw = nullptr;
  TSMBiosTableEntry m_entry;
};

// Type 0.
class TBiosInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string VendorStr() const { return String(0x04); }
  std::string VersionStr() const { return String(0x05); }
  std::string ReleaseDateStr() const { return String(0x08); }
};

// Type 1.
class TSystemInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string ManufacturerStr() const { return String(0x04); }
  std::string ProductNameStr() const { return String(0x05); }
  std::string VersionStr() const { return String(0x06); }
  std::string SerialNumberStr() const { return String(0x07); }
};

// Type 2.
class TBaseBoardInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string ManufacturerStr() const { return String(0x04); }
  std::string ProductStr() const { return String(0x05); }
  std::string VersionStr() const { return String(0x06); }
};

// Type 3.
class TEnclosureInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string ManufacturerStr() const { return String(0x04); }
  // Bit 7: a chassis lock is present; bits 6..0: the chassis type.
  uint8_t Type() const { return Byte(0x05); }
  std::string TypeStr() const;
};

// Type 4.
class TProcessorInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string SocketDesignationStr() const { return String(0x04); }
  std::string ProcessorManufacturerStr() const { return String(0x07); }
  std::string ProcessorVersionStr() const { return String(0x10); }
  // Volts: bit 7 set, bits 6..0 in tenths; otherwise the first legacy bit of 5, 3.3, 2.9.
  double GetProcessorVoltage() const;
  uint16_t MaxSpeed() const { return Word(0x14); }      // MHz
  uint16_t CurrentSpeed() const { return Word(0x16); }  // MHz
  uint8_t ProcessorUpgrade() const { return Byte(0x19); }
  std::string ProcessorUpgradeStr() const;
  uint8_t CoreCount() const { return Byte(0x23); }
  uint8_t ThreadCount() const { return Byte(0x25); }
};

// Type 9.
class TSystemSlotInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  std::string SlotDesignationStr() const { return String(0x04); }
  std::string GetSlotType() const;
  std::string GetSlotDataBusWidth() const;
  std::string GetCurrentUsage() const;
};

// Type 17.
class TMemoryDeviceInformation : public TSMBiosStructure {
 public:
  using TSMBiosStructure::TSMBiosStructure;
  // Megabytes; 0 for an empty socket and for an unknown size (FFFFh).
  int64_t GetSize() const;
  std::string GetMemoryTypeStr() const;
  std::string DeviceLocatorStr() const { return String(0x10); }
  std::string ManufacturerStr() const { return String(0x17); }
  std::string SerialNumberStr() const { return String(0x18); }
  std::string PartNumberStr() const { return String(0x1A); }
};
