#include "sysinfo/smbios_source.h"

#include <algorithm>
#include <limits>

namespace {

// Index positions are 32-bit signed; no firmware table comes near that.
constexpr size_t MAX_TABLE_SIZE = std::numeric_limits<int32_t>::max();
// GetSystemFirmwareTable is asked again when the table grew between two calls.
constexpr int FIRMWARE_TABLE_ATTEMPTS = 3;

uint32_t Dword(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

std::optional<TRawSMBIOSData> ReadWmiSmbiosTable(IFirmwareTables& firmware) {
  TWmiRawSmbiosTables answer = firmware.QueryRawSmbiosTables();
  if (!answer.found || !answer.smbiosData) return std::nullopt;
  const std::vector<uint8_t>& bytes = *answer.smbiosData;
  size_t length = std::min(bytes.size(), MAX_TABLE_SIZE);
  if (answer.size) length = std::min<size_t>(length, *answer.size);
  if (length == 0) return std::nullopt;
  TRawSMBIOSData data;
  data.Used20CallingMethod = answer.used20CallingMethod;
  data.SMBIOSMajorVersion = answer.smbiosMajorVersion;
  data.SMBIOSMinorVersion = answer.smbiosMinorVersion;
  data.DmiRevision = answer.dmiRevision;
  data.Length = static_cast<uint32_t>(length);
  data.SMBIOSTableData.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  return data;
}

std::optional<TRawSMBIOSData> ReadFirmwareSmbiosTable(IFirmwareTables& firmware) {
  uint32_t size = firmware.GetSystemFirmwareTable(FIRMWARE_PROVIDER_RSMB, 0, nullptr, 0);
  for (int attempt = 0; attempt < FIRMWARE_TABLE_ATTEMPTS && size > 0; ++attempt) {
    std::vector<uint8_t> buffer(size);
    const uint32_t written = firmware.GetSystemFirmwareTable(FIRMWARE_PROVIDER_RSMB, 0, buffer.data(), size);
    if (written == 0) return std::nullopt;
    if (written <= size) {
      buffer.resize(written);
      TRawSMBIOSData data = ParseRawSmbiosData(buffer);
      if (data.Length == 0) return std::nullopt;
      return data;
    }
    size = written;
  }
  return std::nullopt;
}

TRawSMBIOSData ReadLocalSmbiosTable(IFirmwareTables& firmware) {
  if (auto wmi = ReadWmiSmbiosTable(firmware)) return std::move(*wmi);
  if (auto table = ReadFirmwareSmbiosTable(firmware)) return std::move(*table);
  return {};
}

TRawSMBIOSData ParseRawSmbiosData(const std::vector<uint8_t>& bytes) {
  TRawSMBIOSData data;
  if (bytes.size() < RAW_SMBIOS_HEADER_SIZE) return data;
  data.Used20CallingMethod = bytes[0];
  data.SMBIOSMajorVersion = bytes[1];
  data.SMBIOSMinorVersion = bytes[2];
  data.DmiRevision = bytes[3];
  const size_t length = std::min({static_cast<size_t>(Dword(bytes, 4)), bytes.size() - RAW_SMBIOS_HEADER_SIZE,
                                  MAX_TABLE_SIZE});
  data.Length = static_cast<uint32_t>(length);
  data.SMBIOSTableData.assign(bytes.begin() + RAW_SMBIOS_HEADER_SIZE,
                              bytes.begin() + static_cast<std::ptrdiff_t>(RAW_SMBIOS_HEADER_SIZE + length));
  return data;
}

std::vector<uint8_t> RawSmbiosDataBytes(const TRawSMBIOSData& data) {
  std::vector<uint8_t> bytes = {data.Used20CallingMethod, data.SMBIOSMajorVersion, data.SMBIOSMinorVersion,
                                data.DmiRevision};
  const auto length = static_cast<uint32_t>(data.SMBIOSTableData.size());
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(length >> shift));
  bytes.insert(bytes.end(), data.SMBIOSTableData.begin(), data.SMBIOSTableData.end());
  return bytes;
}
