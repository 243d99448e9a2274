// Where a raw SMBIOS table comes from: the machine (WMI, else the firmware table,
// else none) or the bytes of a saved RawSMBIOSData, and those bytes to save.
#pragma once

#include <optional>
#include <vector>

#include "platform/firmware_tables.h"
#include "sysinfo/smbios_types.h"

// WMI's table; nothing when WMI gives no object or no bytes. At most "Size" bytes are
// taken.
std::optional<TRawSMBIOSData> ReadWmiSmbiosTable(IFirmwareTables& firmware);
// GetSystemFirmwareTable('RSMB'); nothing when it fails or gives no table bytes.
std::optional<TRawSMBIOSData> ReadFirmwareSmbiosTable(IFirmwareTables& firmware);
// WMI's table, else the firmware table, else an empty table: a machine that gives
// none still starts.
TRawSMBIOSData ReadLocalSmbiosTable(IFirmwareTables& firmware);

// A saved RawSMBIOSData: the eight header bytes, then the table. The table holds the
// bytes that are there, at most as many as the header's Length; fewer than eight
// bytes give an empty table.
TRawSMBIOSData ParseRawSmbiosData(const std::vector<uint8_t>& bytes);
// The header and the table as GetSystemFirmwareTable('RSMB') gives them.
std::vector<uint8_t> RawSmbiosDataBytes(const TRawSMBIOSData& data);
