// The SMBIOS reader: the walk, the index queries, string lookup, decoding and the
// text tables, on tables built here.
#include <gtest/gtest.h>

#include "platform/sim/sim_locale.h"
#include "sysinfo/smbios.h"
#include "sysinfo/smbios_builder.h"
#include "sysinfo/smbios_source.h"
#include "sysinfo/smbios_texts.h"

namespace {

class SmbiosReader : public ::testing::Test {
 protected:
  const TSMBios& Read(const TSmbiosBuilder& builder) {
    m_smbios = std::make_unique<TSMBios>(builder.Data(), m_locale);
    return *m_smbios;
  }
  const TSMBios& ReadBytes(const std::vector<uint8_t>& table) {
    TRawSMBIOSData data;
    data.Length = static_cast<uint32_t>(table.size());
    data.SMBIOSTableData = table;
    m_smbios = std::make_unique<TSMBios>(data, m_locale);
    return *m_smbios;
  }

  TSimLocale m_locale;
  std::unique_ptr<TSMBios> m_smbios;
};

TEST_F(SmbiosReader, IndexesEveryStructureInOrderUpToTheEndOfTable) {
  TSmbiosBuilder table(2, 8);
  table.Bios("Vendor", "1.0", "01/01/2020").Structure(0x85, 5, {}).System("Maker", "Model").End();
  table.Bios("after the end", "", "");
  const TSMBios& smbios = Read(table);
  const auto& entries = smbios.SMBiosTablesList();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], (TSMBiosTableEntry{{0, 0x18, 0}, 0}));
  // 18h formatted bytes and "Vendor", "1.0", "01/01/2020" with the closing NUL.
  EXPECT_EQ(entries[1], (TSMBiosTableEntry{{0x85, 5, 1}, 0x18 + 7 + 4 + 11 + 1}));
  // The vendor structure's empty string set is two NULs.
  EXPECT_EQ(entries[2].index, entries[1].index + 5 + 2);
  EXPECT_EQ(entries[3].Header.type, 127);
  EXPECT_EQ(smbios.GetSMBiosTableEntries(127), 0);
  EXPECT_EQ(smbios.GetSMBiosTableEntries(0), 1);
  EXPECT_EQ(smbios.GetSMBiosTableEntries(0x85), 1);
  EXPECT_EQ(smbios.SysInfo().ProductNameStr(), "Model");
}

TEST_F(SmbiosReader, NextIndexFindsTheFirstStructureAfterTheOffset) {
  TSmbiosBuilder table(2, 8);
  table.Slot(0xA5, 0x08, 0x03).Bios("V", "", "").Slot(0xAA, 0x0D, 0x04).Slot(0x06, 0x05, 0x03).End();
  const TSMBios& smbios = Read(table);
  const auto& entries = smbios.SMBiosTablesList();
  const struct {
    uint8_t type;
    int32_t offset;
    int32_t expected;
  } cases[] = {
      {9, -1, entries[0].index},             {9, entries[0].index, entries[2].index},
      {9, entries[2].index, entries[3].index}, {9, entries[3].index, -1},
      {0, -1, entries[1].index},             {0, entries[1].index, -1},
      {17, -1, -1},                          {9, entries[2].index - 1, entries[2].index},
  };
  for (const auto& c : cases)
    EXPECT_EQ(smbios.GetSMBiosTableNextIndex(c.type, c.offset), c.expected) << int{c.type} << " after " << c.offset;
  EXPECT_EQ(smbios.GetSMBiosTableEntries(9), 3);
  ASSERT_EQ(smbios.SystemSlotInfo().size(), 3u);
  EXPECT_EQ(smbios.SystemSlotInfo()[1].GetSlotType(), "PCI Express x16");
}

TEST_F(SmbiosReader, StringsByNumber) {
  TSmbiosBuilder table(2, 8);
  table.Structure(0x80, 4, {}, {"ABC", "DEF"}).Structure(0x81, 4, {}, {"Gr\xFC\xDF" "e \x80"}).End();
  const TSMBios& smbios = Read(table);
  const int32_t first = smbios.SMBiosTablesList()[0].index + 4;
  const int32_t second = smbios.SMBiosTablesList()[1].index + 4;
  const struct {
    int32_t entry;
    int index;
    std::string expected;
  } cases[] = {
      {first, 0, ""},   {first, 1, "ABC"},  {first, 2, "DEF"}, {first, 3, ""},  {first, 255, ""},
      {second, 1, "Grüße €"},  // Windows-1252
      {-1, 1, ""},      {1 << 30, 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(smbios.GetSMBiosString(c.entry, c.index), c.expected) << c.index;
}

TEST_F(SmbiosReader, AStructureShorterThanAFieldReadsItAsZero) {
  TProcessorSpec processor;
  processor.length = 0x23;
  TSmbiosBuilder table(2, 3);
  table.Processor(processor).End();
  const TProcessorInformation& cpu = Read(table).ProcessorInfo().at(0);
  EXPECT_EQ(cpu.MaxSpeed(), 4200);
  EXPECT_EQ(cpu.CurrentSpeed(), 3600);
  EXPECT_EQ(cpu.ProcessorUpgradeStr(), "Socket LGA1151");
  EXPECT_EQ(cpu.CoreCount(), 0);
  EXPECT_EQ(cpu.ThreadCount(), 0);
  // The string set begins at 23h: nothing of it is taken for a field.
  EXPECT_EQ(cpu.Byte(0x23), 0);
  EXPECT_EQ(cpu.Word(0x22), 0);
  EXPECT_EQ(cpu.ProcessorVersionStr(), processor.version);
}

TEST_F(SmbiosReader, AbsentStructuresReadAsEmpty) {
  const TSMBios& smbios = ReadBytes({});
  EXPECT_TRUE(smbios.SMBiosTablesList().empty());
  EXPECT_FALSE(smbios.GetHasBiosInfo());
  EXPECT_EQ(smbios.BiosInfo().VendorStr(), "");
  EXPECT_EQ(smbios.SysInfo().ManufacturerStr(), "");
  EXPECT_FALSE(smbios.GetHasProcessorInfo());
  EXPECT_TRUE(smbios.Structures(4).empty());
}

TEST_F(SmbiosReader, TheWalkStopsAtAStructureThatIsNotWhole) {
  const struct {
    const char* name;
    std::vector<uint8_t> tail;  // after one whole BIOS structure
  } cases[] = {
      {"formatted length below 4", {0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x04, 0x00, 0x00, 0x00, 0x00}},
      {"formatted length 0", {0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {"a header cut short", {0x01, 0x1B}},
      {"a formatted area beyond the table", {0x01, 0x40, 0x01, 0x00, 0x00, 0x00}},
      {"a string set without its double NUL", {0x80, 0x04, 0x01, 0x00, 'A', 'B', 0x00}},
  };
  for (const auto& c : cases) {
    TSmbiosBuilder table(2, 8);
    table.Bios("V", "1", "D").Bytes(c.tail);
    const TSMBios& smbios = Read(table);
    EXPECT_EQ(smbios.SMBiosTablesList().size(), 1u) << c.name;
  }
}

TEST_F(SmbiosReader, MemorySizes) {
  const struct {
    uint16_t size;
    uint32_t extended;
    uint8_t length;
    int64_t megabytes;
  } cases[] = {
      {0x4000, 0, 0x28, 16384},     {0x7FFF, 65536, 0x28, 65536}, {0x8200, 0, 0x28, 0},
      {0x8000 | 4096, 0, 0x28, 4},  {0, 0, 0x28, 0},              {0xFFFF, 0, 0x28, 0},
      {0x7FFF, 0x80010000, 0x28, 65536},  // bit 31 is reserved
      {0x7FFF, 65536, 0x1B, 32767},       // before Extended Size, 7FFFh was a size of its own
      {8192, 0, 0x1B, 8192},
  };
  for (const auto& c : cases) {
    TMemorySpec module;
    module.size = c.size;
    module.extendedSize = c.extended;
    module.length = c.length;
    TSmbiosBuilder table(3, 0);
    table.MemoryDevice(module).End();
    EXPECT_EQ(Read(table).MemoryDeviceInfo().at(0).GetSize(), c.megabytes) << std::hex << c.size;
  }
}

TEST_F(SmbiosReader, ProcessorVoltage) {
  const struct {
    uint8_t voltage;
    double volts;
  } cases[] = {{0x8C, 1.2}, {0x80, 0}, {0xFF, 12.7}, {0x02, 3.3}, {0x01, 5.0}, {0x03, 5.0}, {0x04, 2.9}, {0x00, 0}};
  for (const auto& c : cases) {
    TProcessorSpec processor;
    processor.voltage = c.voltage;
    TSmbiosBuilder table(3, 0);
    table.Processor(processor);
    EXPECT_DOUBLE_EQ(Read(table).ProcessorInfo().at(0).GetProcessorVoltage(), c.volts) << std::hex << int{c.voltage};
  }
}

TEST(SmbiosTexts, TablesAtTheirBoundariesAndGaps) {
  const struct {
    std::string (*text)(uint8_t);
    uint8_t code;
    const char* expected;
  } cases[] = {
      {SlotTypeText, 0x00, "Unknown"},
      {SlotTypeText, 0x01, "Other"},
      {SlotTypeText, 0x0E, "PCI  66MHz Capable"},
      {SlotTypeText, 0x13, "AGP 8X"},
      {SlotTypeText, 0x14, "Unknown"},
      {SlotTypeText, 0x9F, "Unknown"},
      {SlotTypeText, 0xA0, "PC-98/C20"},
      {SlotTypeText, 0xAA, "PCI Express x16"},
      {SlotTypeText, 0xB6, "PCI Express Gen 3 x16"},
      {SlotTypeText, 0xB7, "Unknown"},
      {SlotTypeText, 0xB8, "PCI Express Gen 4"},
      {SlotTypeText, 0xC6, "EDSFF E3.S, E3.L"},
      {SlotTypeText, 0xC7, "Unknown"},
      {SlotDataBusWidthText, 0x02, "Unknown"},
      {SlotDataBusWidthText, 0x08, "1x or x1"},
      {SlotDataBusWidthText, 0x0E, "32x or x32"},
      {SlotDataBusWidthText, 0x0F, "Unknown"},
      {SlotCurrentUsageText, 0x01, "Other"},
      {SlotCurrentUsageText, 0x02, "Unknown"},
      {SlotCurrentUsageText, 0x04, "In use"},
      {SlotCurrentUsageText, 0x05, "Unknown"},
      {MemoryTypeText, 0x02, "Unknown"},
      {MemoryTypeText, 0x14, "DDR2 FB-DIMM"},
      {MemoryTypeText, 0x15, "Reserved"},
      {MemoryTypeText, 0x17, "Reserved"},
      {MemoryTypeText, 0x18, "DDR3"},
      {MemoryTypeText, 0x1A, "DDR4"},
      {MemoryTypeText, 0x24, "HBM3"},
      {MemoryTypeText, 0x25, "Unknown"},
      {ProcessorUpgradeText, 0x00, "Unknown"},
      {ProcessorUpgradeText, 0x32, "Socket LGA1151"},
      {ProcessorUpgradeText, 0x50, "Socket LGA7529"},
      {ProcessorUpgradeText, 0x51, "Unknown"},
      {ChassisTypeText, 0x03, "Desktop"},
      {ChassisTypeText, 0x83, "Desktop"},  // bit 7: a chassis lock
      {ChassisTypeText, 0x24, "Stick PC"},
      {ChassisTypeText, 0x25, "Unknown"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text(c.code), c.expected) << std::hex << int{c.code};
}

TEST(SmbiosRawData, TheTableHoldsOnlyTheBytesThatAreThere) {
  TSmbiosBuilder table(3, 4);
  table.Bios("V", "1", "D").End();
  const auto size = static_cast<uint32_t>(table.Table().size());
  const struct {
    std::vector<uint8_t> bytes;
    uint32_t length;
  } cases[] = {
      {table.RawSmbiosData(), size},
      {table.RawSmbiosData(size + 1000), size},  // a Length beyond the bytes
      {table.RawSmbiosData(10), 10},              // bytes beyond the Length are not the table's
      {table.RawSmbiosData(0), 0},
      {{0, 3, 4, 0, 0xFF, 0xFF}, 0},  // no whole header
  };
  for (const auto& c : cases) {
    const TRawSMBIOSData data = ParseRawSmbiosData(c.bytes);
    EXPECT_EQ(data.Length, c.length);
    EXPECT_EQ(data.SMBIOSTableData.size(), c.length);
  }
  const TRawSMBIOSData data = ParseRawSmbiosData(table.RawSmbiosData());
  EXPECT_EQ(data.SMBIOSMajorVersion, 3);
  EXPECT_EQ(data.SMBIOSMinorVersion, 4);
  EXPECT_EQ(RawSmbiosDataBytes(data), table.RawSmbiosData());
}

}  // namespace
