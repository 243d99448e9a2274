// Obtaining the machine's table: WMI first, the firmware table when WMI gives none,
// an empty table when neither does.
#include <gtest/gtest.h>

#include "platform/sim/sim_firmware_tables.h"
#include "sysinfo/smbios_builder.h"
#include "sysinfo/smbios_source.h"

namespace {

TSmbiosBuilder SmallTable() {
  TSmbiosBuilder table(3, 1);
  table.Bios("V", "1", "D").End();
  return table;
}

// Wine 8's answer: an object whose SMBiosData is null and whose Size is missing.
TWmiRawSmbiosTables WineAnswer() {
  TWmiRawSmbiosTables answer;
  answer.found = true;
  answer.sizeError = 0x80041002;  // WBEM_E_NOT_FOUND
  return answer;
}

TWmiRawSmbiosTables FailedQuery(uint32_t hresult) {
  TWmiRawSmbiosTables answer;
  answer.hresult = hresult;
  return answer;
}

TEST(SmbiosSource, WmiFirst) {
  TSimFirmwareTables firmware;
  firmware.rawSmbios = SmallTable().RawSmbiosData();
  const TRawSMBIOSData data = ReadLocalSmbiosTable(firmware);
  EXPECT_EQ(data.SMBIOSTableData, SmallTable().Table());
  EXPECT_EQ(data.SMBIOSMajorVersion, 3);
  EXPECT_EQ(firmware.wmiQueries, 1);
  EXPECT_EQ(firmware.firmwareTableCalls, 0);
}

TEST(SmbiosSource, TheFirmwareTableWhenWmiGivesNone) {
  const struct {
    const char* name;
    TWmiRawSmbiosTables answer;
  } cases[] = {
      {"Wine's object without data", WineAnswer()},
      {"no object", TWmiRawSmbiosTables{}},
      {"a failed query", FailedQuery(0x8004100E)},  // WBEM_E_INVALID_NAMESPACE
      {"an empty array", [] {
         TWmiRawSmbiosTables answer;
         answer.found = true;
         answer.size = 0;
         answer.smbiosData.emplace();
         return answer;
       }()},
  };
  for (const auto& c : cases) {
    TSimFirmwareTables firmware;
    firmware.rawSmbios = SmallTable().RawSmbiosData();
    firmware.wmi = c.answer;
    const TRawSMBIOSData data = ReadLocalSmbiosTable(firmware);
    EXPECT_EQ(data.SMBIOSTableData, SmallTable().Table()) << c.name;
    // The size, then the table.
    EXPECT_EQ(firmware.firmwareTableCalls, 2) << c.name;
  }
}

TEST(SmbiosSource, AnEmptyTableWhenNeitherGivesOne) {
  TSimFirmwareTables firmware;
  firmware.wmi = WineAnswer();
  const TRawSMBIOSData data = ReadLocalSmbiosTable(firmware);
  EXPECT_EQ(data.Length, 0u);
  EXPECT_TRUE(data.SMBIOSTableData.empty());
}

TEST(SmbiosSource, WmiCopiesAtMostSizeBytes) {
  const std::vector<uint8_t> table = SmallTable().Table();
  const struct {
    std::optional<uint32_t> size;
    size_t expected;
  } cases[] = {
      {static_cast<uint32_t>(table.size()), table.size()},
      {10, 10},
      {static_cast<uint32_t>(table.size() + 100), table.size()},
      {std::nullopt, table.size()},
  };
  for (const auto& c : cases) {
    TSimFirmwareTables firmware;
    TWmiRawSmbiosTables answer;
    answer.found = true;
    answer.size = c.size;
    answer.smbiosData = table;
    firmware.wmi = answer;
    const auto data = ReadWmiSmbiosTable(firmware);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Length, c.expected);
    EXPECT_EQ(data->SMBIOSTableData, std::vector<uint8_t>(table.begin(), table.begin() + c.expected));
  }
}

// A firmware table that grows between the size query and the read is asked for again.
class TGrowingFirmware : public TSimFirmwareTables {
 public:
  uint32_t GetSystemFirmwareTable(uint32_t provider, uint32_t tableId, uint8_t* buffer,
                                  uint32_t bufferSize) override {
    if (firmwareTableCalls == 1) rawSmbios = TwoStructures().RawSmbiosData();
    return TSimFirmwareTables::GetSystemFirmwareTable(provider, tableId, buffer, bufferSize);
  }
  static TSmbiosBuilder TwoStructures() {
    TSmbiosBuilder table(3, 1);
    table.Bios("V", "1", "D").System("M", "P").End();
    return table;
  }
};

TEST(SmbiosSource, AFirmwareTableThatGrewIsReadAgain) {
  TGrowingFirmware firmware;
  firmware.rawSmbios = SmallTable().RawSmbiosData();
  const auto data = ReadFirmwareSmbiosTable(firmware);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->SMBIOSTableData, TGrowingFirmware::TwoStructures().Table());
  EXPECT_EQ(firmware.firmwareTableCalls, 3);
}

}  // namespace
