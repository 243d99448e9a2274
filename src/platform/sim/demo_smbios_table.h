// The SMBIOS table of the demonstration PC that the native qvcli runs on.
#pragma once

#include <cstdint>
#include <vector>

// RawSMBIOSData as GetSystemFirmwareTable('RSMB') gives it: SMBIOS 3.3, an ASUS
// board behind the firmware's placeholder system names, a six-core processor, two
// of four memory sockets filled, three slots.
std::vector<uint8_t> DemoSmbiosTable();
