// The PC information: the manufacturer and model rules, the mainboard, BIOS, memory,
// processor and slot values, and what the data model collects when.
#include <gtest/gtest.h>

#include "platform/sim/demo_smbios_table.h"
#include "support/sim_data_model.h"
#include "sysinfo/sim_system_info.h"
#include "sysinfo/smbios_corpus.h"

namespace {

class SystemInfo : public ::testing::Test, public TSimSystemInfoFixture {};

TEST_F(SystemInfo, ManufacturerAndModelRules) {
  const struct {
    const char* name;
    std::string manufacturer, product;
    bool board;
    std::string boardManufacturer, boardProduct, boardVersion;
    const char* expectedManufacturer;
    const char* expectedModel;
  } cases[] = {
      {"placeholders in another case", "to be filled by o.e.m.", "TO BE FILLED BY O.E.M.", true, "ASRock",
       "B450M Pro4", "  1.0  ", "ASRock", "B450M Pro4 (1.0)"},
      {"no baseboard", "To Be Filled By O.E.M.", "System Product Name", false, "", "", "", "Unknown", "Unknown"},
      {"the board's blank-padded version", "System manufacturer", "System Product Name", true, "ASUSTeK",
       "B450M", " 1.0 ", "ASUSTeK", "B450M (1.0)"},
      {"real names", "Dell Inc.", "OptiPlex 7070", true, "Dell Inc.", "0YNVJG", "A00", "Dell Inc.",
       "OptiPlex 7070"},
      {"empty names (string 0)", "", "", true, "Gigabyte", "Z390", "", "Gigabyte", "Z390"},
      {"a blank version adds no parentheses", "Manufacturer", "Model", true, "MSI", "B360M", "   ", "MSI", "B360M"},
      {"a board without a manufacturer", "Manufacturer", "Product Name", true, "", "X", "1", "Unknown", "Unknown"},
  };
  for (const auto& c : cases) {
    TSmbiosBuilder table(2, 8);
    table.System(c.manufacturer, c.product);
    if (c.board) table.BaseBoard(c.boardManufacturer, c.boardProduct, c.boardVersion);
    const TSystemInfo& info = Collect(table.End());
    EXPECT_EQ(info.Manufacturer(), c.expectedManufacturer) << c.name;
    EXPECT_EQ(info.SystemModel(), c.expectedModel) << c.name;
  }
}

TEST_F(SystemInfo, TheLastBaseboardAndEnclosureWin) {
  TSmbiosBuilder table(2, 8);
  table.BaseBoard("First", "A", "1").Enclosure(0x0A).BaseBoard("Second", "B", "2").Enclosure(0x83).End();
  const TSystemInfo& info = Collect(table);
  EXPECT_EQ(info.BoardManufacturer(), "Second");
  EXPECT_EQ(info.MotherBoard(), "B (2)");
  EXPECT_EQ(info.SystemType(), "Desktop");
}

TEST_F(SystemInfo, BiosAndSerialNumber) {
  TSmbiosBuilder table(2, 8);
  table.Bios("American Megatrends Inc.", "P3.40", "08/05/2019").System("M", "P", "SN-1").End();
  const TSystemInfo& info = Collect(table);
  EXPECT_EQ(info.BiosName(), "American Megatrends Inc.");
  EXPECT_EQ(info.BiosDetail(), "08/05/2019 (P3.40)");
  EXPECT_EQ(info.SerialNumber(), "SN-1");
  EXPECT_EQ(info.GetOS(), os);
}

TEST_F(SystemInfo, MemoryLinesAndTotal) {
  const TSystemInfo& info = Collect(TwoModulesTable());
  EXPECT_EQ(info.GetPhysicalMemory(), 16384);
  ASSERT_EQ(info.GetMemoryDeviceCount(), 2);
  EXPECT_EQ(info.GetMemoryDetails(0), "DDR4 - Samsung (M378A1K43CB2-CTD) , 8192 MB");
  EXPECT_EQ(info.GetMemoryDetails(1), info.GetMemoryDetails(0));
  EXPECT_EQ(info.GetMemoryDetails(2), "");
  ASSERT_EQ(info.GetSlotCount(), 5);
  EXPECT_EQ(info.GetSlotInfo(0), "PCI Express Gen 3 x16, 16x or x16 (In use)");
  EXPECT_EQ(info.GetSlotInfo(1), "PCI Express Gen 3 x1, 1x or x1 (Available)");
  EXPECT_EQ(info.GetSlotInfo(-1), "");
}

TEST_F(SystemInfo, MemoryFromTheOperatingSystem) {
  TMemorySpec unknown, empty;
  unknown.size = 0xFFFF;
  empty.size = 0;
  const struct {
    const char* name;
    std::vector<TMemorySpec> modules;
    std::optional<uint64_t> osBytes;
    int64_t megabytes;
    int lines;
  } cases[] = {
      {"no memory devices", {}, 17094877184, 16303, 0},
      {"only an unknown size", {unknown}, 17094877184, 16303, 0},
      {"only empty sockets", {empty, empty}, 8ull << 30, 8192, 0},
      {"an unknown size beside a known one", {unknown, TMemorySpec{}}, 17094877184, 8192, 1},
      {"a failed memory status", {}, std::nullopt, 0, 0},
  };
  for (const auto& c : cases) {
    hardware.totalPhysicalMemory = c.osBytes;
    TSmbiosBuilder table(3, 0);
    for (const TMemorySpec& module : c.modules) table.MemoryDevice(module);
    const TSystemInfo& info = Collect(table.End());
    EXPECT_EQ(info.GetPhysicalMemory(), c.megabytes) << c.name;
    EXPECT_EQ(info.GetMemoryDeviceCount(), c.lines) << c.name;
  }
}

TEST_F(SystemInfo, ProcessorFromTheTable) {
  TSmbiosBuilder table(3, 0);
  TProcessorSpec processor;
  table.Processor(processor).Processor(processor).End();
  const TSystemInfo& info = Collect(table);
  EXPECT_EQ(info.CPUspeed(), 3600);
  EXPECT_EQ(info.MaxCPUspeed(), 4200);
  EXPECT_EQ(info.Cores(), 4);
  EXPECT_EQ(info.LogicalCPU(), 8);
  EXPECT_EQ(info.Socket(), "Socket LGA1151");
  EXPECT_DOUBLE_EQ(info.CPUvoltage(), 1.2);
  EXPECT_EQ(info.GetPhysicalProcessors(), "2");
  EXPECT_EQ(info.GetLogicalProcessors(), "12");
  // The model is the processor's own brand string, not the table's version text.
  EXPECT_EQ(info.GetProcessorModel(), "AMD Ryzen 5 3600 6-Core Processor");
  EXPECT_EQ(hardware.sleptMilliseconds, 0u);
}

TEST_F(SystemInfo, ProcessorWithoutTableStructures) {
  const TSystemInfo& info = Collect(WineTable());
  EXPECT_EQ(info.CPUspeed(), 0);
  EXPECT_EQ(info.MaxCPUspeed(), 3600);  // measured
  EXPECT_EQ(info.Cores(), 6);           // cores per package from the identification
  EXPECT_EQ(info.LogicalCPU(), 12);     // the known logical count, not 0
  EXPECT_EQ(info.GetPhysicalProcessors(), "6");
  EXPECT_EQ(info.GetLogicalProcessors(), "12");
  EXPECT_EQ(info.Socket(), "");
  EXPECT_DOUBLE_EQ(info.CPUvoltage(), 0);
  EXPECT_EQ(info.Manufacturer(), "Unknown");
  EXPECT_EQ(info.SystemModel(), "Unknown");
  EXPECT_EQ(info.BiosDetail(), "");
}

TEST_F(SystemInfo, CountsAnOlderStructureLacksComeFromTheSystem) {
  const TSystemInfo& info = Collect(Smbios23Table());
  EXPECT_EQ(info.Cores(), 6);
  EXPECT_EQ(info.LogicalCPU(), 12);
  EXPECT_EQ(info.CPUspeed(), 2800);
  EXPECT_EQ(info.MaxCPUspeed(), 3600);
  EXPECT_DOUBLE_EQ(info.CPUvoltage(), 3.3);
  // 7FFFh in a structure too short for an extended size is 32767 MB.
  EXPECT_EQ(info.GetPhysicalMemory(), 512 + 32767);
}

TEST_F(SystemInfo, AMachineThatGivesNoTableStillDescribesItsProcessorAndMemory) {
  firmware.wmi.emplace().hresult = 0x80041010;  // WBEM_E_INVALID_CLASS
  TSystemInfo info(firmware, hardware, locale, os);
  info.Collect();
  EXPECT_TRUE(info.Collected());
  EXPECT_EQ(info.Manufacturer(), "Unknown");
  EXPECT_EQ(info.GetPhysicalMemory(), 16303);
  EXPECT_EQ(info.LogicalCPU(), 12);
  EXPECT_EQ(info.GetMemoryDeviceCount(), 0);
}

TEST_F(SystemInfo, AssignedNamesFollowTheRules) {
  TSmbiosBuilder table(2, 8);
  table.BaseBoard("ASRock", "B450M Pro4", "").End();
  TSystemInfo& info = Collect(table);
  info.SetManufacturer("SYSTEM MANUFACTURER");
  info.SetSystemModel("Precision 5820");
  EXPECT_EQ(info.Manufacturer(), "ASRock");
  EXPECT_EQ(info.SystemModel(), "Precision 5820");
}

TEST_F(SystemInfo, TheDemoMachineOfTheNativeQvcli) {
  firmware.rawSmbios = DemoSmbiosTable();
  TSystemInfo info(firmware, hardware, locale, os);
  info.Collect();
  EXPECT_EQ(info.Manufacturer(), "ASUSTeK COMPUTER INC.");
  EXPECT_EQ(info.SystemModel(), "PRIME B450M-A (Rev X.0x)");
  EXPECT_EQ(info.BiosDetail(), "03/22/2022 (3603)");
  EXPECT_EQ(info.Socket(), "Socket AM4");
  EXPECT_EQ(info.Cores(), 6);
  EXPECT_EQ(info.LogicalCPU(), 12);
  EXPECT_EQ(info.GetPhysicalMemory(), 16384);
  EXPECT_EQ(info.GetMemoryDeviceCount(), 2);
  EXPECT_EQ(info.GetSlotCount(), 3);
}

TEST(DataModelSysInfo, CollectedAtTheFirstReadAndOnlyOnce) {
  TSimDataModelFixture fixture;
  fixture.machine.firmware.rawSmbios = AsrockTable().RawSmbiosData();
  TDriverDatamodel& model = fixture.Create();
  EXPECT_EQ(fixture.machine.firmware.wmiQueries, 0);
  EXPECT_EQ(model.SysInfo().Manufacturer(), "ASRock");
  EXPECT_EQ(model.SysInfo().GetOS(), model.OSDescription());
  EXPECT_EQ(fixture.machine.firmware.wmiQueries, 1);
}

}  // namespace
