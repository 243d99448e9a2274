// Simulated firmware tables: the raw SMBIOS table a test states, answered by
// GetSystemFirmwareTable's size contract and, unless a test gives WMI another
// answer, by WMI with the same bytes.
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/firmware_tables.h"

class TSimFirmwareTables : public IFirmwareTables {
 public:
  // RawSMBIOSData: the eight header bytes, then the table; empty: the machine has none.
  std::vector<uint8_t> rawSmbios;
  // WMI's answer when it differs from rawSmbios's.
  std::optional<TWmiRawSmbiosTables> wmi;
  int firmwareTableCalls = 0;
  int wmiQueries = 0;

  uint32_t LastError() override { return m_lastError; }

  uint32_t GetSystemFirmwareTable(uint32_t provider, uint32_t tableId, uint8_t* buffer,
                                  uint32_t bufferSize) override {
    ++firmwareTableCalls;
    if (provider != FIRMWARE_PROVIDER_RSMB) {
      m_lastError = ERROR_INVALID_FUNCTION;
      return 0;
    }
    if (tableId != 0 || rawSmbios.empty()) {
      m_lastError = ERROR_NOT_FOUND;
      return 0;
    }
    const auto size = static_cast<uint32_t>(rawSmbios.size());
    if (buffer == nullptr || bufferSize < size) return size;
    std::copy(rawSmbios.begin(), rawSmbios.end(), buffer);
    return size;
  }

  TWmiRawSmbiosTables QueryRawSmbiosTables() override {
    ++wmiQueries;
    if (wmi) return *wmi;
    TWmiRawSmbiosTables answer;
    if (rawSmbios.size() < RAW_SMBIOS_HEADER_SIZE) return answer;
    answer.found = true;
    answer.used20CallingMethod = rawSmbios[0];
    answer.smbiosMajorVersion = rawSmbios[1];
    answer.smbiosMinorVersion = rawSmbios[2];
    answer.dmiRevision = rawSmbios[3];
    answer.size = static_cast<uint32_t>(rawSmbios.size() - RAW_SMBIOS_HEADER_SIZE);
    answer.smbiosData.emplace(rawSmbios.begin() + RAW_SMBIOS_HEADER_SIZE, rawSmbios.end());
    return answer;
  }

 private:
  uint32_t m_lastError = ERROR_SUCCESS;
};
