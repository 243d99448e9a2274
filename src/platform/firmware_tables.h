// Firmware-table port: the raw SMBIOS table, from WMI's MSSmBios_RawSMBiosTables
// object and from GetSystemFirmwareTable. Both give the RawSMBIOSData shape: four
// version bytes, a 32-bit length, then the table.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/win32_errors.h"

// GetSystemFirmwareTable's provider of the raw SMBIOS table ('RSMB'); its table id is 0.
constexpr uint32_t FIRMWARE_PROVIDER_RSMB = 0x52534D42;
// Bytes of RawSMBIOSData before the table: Used20CallingMethod, SMBIOSMajorVersion,
// SMBIOSMinorVersion, DmiRevision, Length.
constexpr uint32_t RAW_SMBIOS_HEADER_SIZE = 8;

// WMI's answer to "SELECT * FROM MSSmBios_RawSMBiosTables" in root\WMI: the first
// object's properties. A property that is null, missing or of another type is empty;
// its error field then holds the HRESULT of the failed read (0 when it read as null).
struct TWmiRawSmbiosTables {
  uint32_t hresult = 0;  // the locator, connection, query or enumeration failed
  bool found = false;    // the query gave an object
  uint8_t used20CallingMethod = 0;
  uint8_t smbiosMajorVersion = 0;
  uint8_t smbiosMinorVersion = 0;
  uint8_t dmiRevision = 0;
  std::optional<uint32_t> size;
  uint32_t sizeError = 0;
  std::optional<std::vector<uint8_t>> smbiosData;
  uint32_t smbiosDataError = 0;
};

class IFirmwareTables {
 public:
  virtual ~IFirmwareTables() = default;
  // The last error of the calling thread (GetLastError).
  virtual uint32_t LastError() = 0;
  // GetSystemFirmwareTable: the bytes written; with a buffer too small, the size the
  // table needs (nothing written); 0 on failure, with the last error set.
  virtual uint32_t GetSystemFirmwareTable(uint32_t provider, uint32_t tableId, uint8_t* buffer,
                                          uint32_t bufferSize) = 0;
  // The locator "WbemScripting.SWbemLocator" connected to "localhost", "root\WMI" with
  // no user name or password, the query in "WQL" with flag 32 (forward only), and
  // the first object's properties; COM is initialised for the call.
  virtual TWmiRawSmbiosTables QueryRawSmbiosTables() = 0;
};
