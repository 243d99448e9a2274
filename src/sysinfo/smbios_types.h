// The raw SMBIOS table and its structure index, as the firmware lays them out
// after the DMTF's SMBIOS standard.
#pragma once

#include <cstdint>
#include <vector>

// The table as obtained: the shape of Windows' RawSMBIOSData.
struct TRawSMBIOSData {
  uint8_t Used20CallingMethod = 0;
  uint8_t SMBIOSMajorVersion = 0;
  uint8_t SMBIOSMinorVersion = 0;
  uint8_t DmiRevision = 0;
  uint32_t Length = 0;                   // bytes of SMBIOSTableData
  std::vector<uint8_t> SMBIOSTableData;  // the structures
};

// A structure's first four bytes.
struct TSmBiosTableHeader {
  uint8_t type = 0;
  uint8_t length = 0;  // the formatted area's, header included
  uint16_t handle = 0;

  bool operator==(const TSmBiosTableHeader&) const = default;
};

// One entry of the structure index: the header and the structure's byte position.
struct TSMBiosTableEntry {
  TSmBiosTableHeader Header;
  int32_t index = 0;

  bool operator==(const TSMBiosTableEntry&) const = default;
};

// Structure types in the standard's order (scoped: winnt.h has names such as
// ProcessorInformation of its own).
enum class TSMBiosTablesTypes : uint8_t {
  BIOSInformation = 0,
  SystemInformation = 1,
  BaseBoardInformation = 2,
  EnclosureInformation = 3,
  ProcessorInformation = 4,
  MemoryControllerInformation = 5,
  MemoryModuleInformation = 6,
  CacheInformation = 7,
  PortConnectorInformation = 8,
  SystemSlotsInformation = 9,
  OnBoardDevicesInformation = 10,
  OEMStrings = 11,
  SystemConfigurationOptions = 12,
  BIOSLanguageInformation = 13,
  GroupAssociations = 14,
  SystemEventLog = 15,
  PhysicalMemoryArray = 16,
  MemoryDevice = 17,
  MemoryErrorInformation32 = 18,
  MemoryArrayMappedAddress = 19,
  MemoryDeviceMappedAddress = 20,
  BuiltInPointingDevice = 21,
  PortableBattery = 22,
  SystemReset = 23,
  HardwareSecurity = 24,
  SystemPowerControls = 25,
  VoltageProbe = 26,
  CoolingDevice = 27,
  TemperatureProbe = 28,
  ElectricalCurrentProbe = 29,
  OutOfBandRemoteAccess = 30,
  BootIntegrityServicesEntryPoint = 31,
  SystemBootInformation = 32,
  MemoryErrorInformation64 = 33,
  ManagementDevice = 34,
  ManagementDeviceComponent = 35,
  ManagementDeviceThresholdData = 36,
  MemoryChannel = 37,
  IPMIDeviceInformation = 38,
  SystemPowerSupply = 39,
  AdditionalInformation = 40,
  OnboardDevicesExtendedInformation = 41,
  ManagementControllerHostInterface = 42,
  TPMDevice = 43,
  ProcessorAdditionalInformation = 44,
  FirmwareInventoryInformation = 45,
  StringProperty = 46,
  Inactive = 126,
  EndofTable = 127,
};

// The type byte of a structure type.
constexpr uint8_t TableType(TSMBiosTablesTypes type) { return static_cast<uint8_t>(type); }
