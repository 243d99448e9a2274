// Firmware-table port over GetSystemFirmwareTable and WMI's scripting objects.
#pragma once

#include "platform/firmware_tables.h"

class TWin32FirmwareTables : public IFirmwareTables {
 public:
  uint32_t LastError() override;
  uint32_t GetSystemFirmwareTable(uint32_t provider, uint32_t tableId, uint8_t* buffer, uint32_t bufferSize) override;
  TWmiRawSmbiosTables QueryRawSmbiosTables() override;
};
