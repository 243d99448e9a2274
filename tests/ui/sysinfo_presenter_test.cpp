// The system-information rows and their formats.
#include <gtest/gtest.h>

#include "platform/sim/builtin_strings.h"
#include "sysinfo/sim_system_info.h"
#include "sysinfo/smbios_corpus.h"
#include "ui/sysinfo_grid.h"
#include "ui/sysinfo_presenter.h"

namespace {

TEST(SysInfoPresenter, CpuSpeed) {
  const struct {
    std::string format;
    int32_t current, max;
    const char* separator;
    const char* expected;
  } cases[] = {
      {"%2.f (%2.f) GHz", 3600, 4200, ".", "3.60 (4.20) GHz"},
      {"%2.f (%2.f) GHz", 3600, 4200, ",", "3,60 (4,20) GHz"},
      {"%2.f (%2.f) GHz", 0, 2096, ".", "0.00 (2.10) GHz"},
      {"%2.f (%2.f) GHz", 4199, 12345, ".", "4.20 (12.35) GHz"},
      {"%2.f GHz", 3600, 4200, ".", "3.60 GHz"},
      {"GHz: %2.f / %2.f", 1000, 2000, ".", "GHz: 1.00 / 2.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(CpuSpeedText(c.format, c.current, c.max, c.separator), c.expected);
}

TEST(SysInfoPresenter, Voltage) {
  const struct {
    double volts;
    const char* separator;
    const char* expected;
  } cases[] = {{0, ".", "0"}, {1.2, ".", "1.2"}, {1.2, ",", "1,2"}, {3.3, ".", "3.3"}, {5.0, ".", "5"},
               {127 / 10.0, ".", "12.7"}};
  for (const auto& c : cases) EXPECT_EQ(VoltageText(c.volts, c.separator), c.expected);
}

class SysInfoRowsTest : public ::testing::Test, public TSimSystemInfoFixture {
 protected:
  std::vector<TSysInfoRow> Rows(const TSmbiosBuilder& table, const std::string& separator = ".") {
    return SysInfoRows(Collect(table), strings, separator);
  }

  TBuiltinStringTable strings;
};

TEST_F(SysInfoRowsTest, TwoModulesAndFiveSlotsGiveTwentyRows) {
  const std::vector<TSysInfoRow> expected = {
      {"Manufacturer", "Micro-Star International Co., Ltd."},
      {"Model", "MS-7A63"},
      {"Windows version", "Windows 10 Professional 64 bit"},
      {"Motherboard", "Z270 GAMING PRO CARBON (MS-7A63) (1.0)"},
      {"BIOS Manufacturer", "American Megatrends Inc."},
      {"BIOS Date (Version)", "07/12/2017 (1.40)"},
      {"Processor", "AMD Ryzen 5 3600 6-Core Processor"},
      {"Socket Type", "Socket LGA1151"},
      {"Cores", "4"},
      {"Logical CPUs", "8"},
      {"CPU speed (Max)", "3.60 (4.20) GHz"},
      {"CPU Voltage", "1.2"},
      {"Memory", "16 GB"},
      {"Memory Module (1)", "DDR4 - Samsung (M378A1K43CB2-CTD) , 8192 MB"},
      {"Memory Module (2)", "DDR4 - Samsung (M378A1K43CB2-CTD) , 8192 MB"},
      {"System Slot (1)", "PCI Express Gen 3 x16, 16x or x16 (In use)"},
      {"System Slot (2)", "PCI Express Gen 3 x1, 1x or x1 (Available)"},
      {"System Slot (3)", "PCI Express Gen 3 x16, 16x or x16 (Available)"},
      {"System Slot (4)", "PCI Express Gen 3 x1, 1x or x1 (Available)"},
      {"System Slot (5)", "PCI Express Gen 3 x4, 4x or x4 (In use)"},
  };
  EXPECT_EQ(Rows(TwoModulesTable()), expected);
}

TEST_F(SysInfoRowsTest, MemoryAndDecimalSeparator) {
  const struct {
    uint16_t moduleSize;
    const char* separator;
    const char* memory;
  } cases[] = {{16384, ".", "16 GB"}, {8192, ".", "8 GB"}, {1536, ".", "1.5 GB"}, {1536, ",", "1,5 GB"},
               {1024, ".", "1024 MB"}};
  for (const auto& c : cases) {
    TMemorySpec module;
    module.size = c.moduleSize;
    TProcessorSpec processor;
    TSmbiosBuilder table(3, 0);
    table.Processor(processor).MemoryDevice(module).End();
    const auto rows = Rows(table, c.separator);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[12].value, c.memory);
    EXPECT_EQ(rows[10].value, std::string("3") + c.separator + "60 (4" + c.separator + "20) GHz");
    EXPECT_EQ(rows[11].value, std::string("1") + c.separator + "2");
  }
}

TEST_F(SysInfoRowsTest, WinesTableShowsTheMachinesOwnFacts) {
  const auto rows = Rows(WineTable());
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[0].value, "Unknown");
  EXPECT_EQ(rows[3].value, "");
  EXPECT_EQ(rows[5].value, "");
  EXPECT_EQ(rows[8].value, "6");
  EXPECT_EQ(rows[9].value, "12");
  EXPECT_EQ(rows[10].value, "0.00 (3.60) GHz");
  EXPECT_EQ(rows[11].value, "0");
  EXPECT_EQ(rows[12].value, "15.92 GB");
}

TEST_F(SysInfoRowsTest, ViewCarriesTheCardTitleAndTheRows) {
  const TSystemInfo& info = Collect(TwoModulesTable());
  const TSysInfoView view = SysInfoView(info, strings, ".");
  EXPECT_EQ(view.title, "System Information");
  EXPECT_EQ(view.rows, SysInfoRows(info, strings, "."));
}

TEST(SysInfoGrid, Geometry) {
  // 30 % and 67 % of the width less one line per column, to the nearest pixel.
  const struct {
    int width, line;
    TSysInfoColumns expected;
  } columns[] = {{502, 1, {150, 335}}, {1000, 1, {299, 669}}, {753, 1, {225, 503}}, {1130, 2, {338, 754}},
                 {2, 1, {0, 0}}};
  for (const auto& c : columns) EXPECT_EQ(SysInfoColumnWidths(c.width, c.line), c.expected) << c.width;

  EXPECT_FALSE(SysInfoRowIsGrey(0));
  EXPECT_TRUE(SysInfoRowIsGrey(1));
  EXPECT_FALSE(SysInfoRowIsGrey(2));
  EXPECT_TRUE(SysInfoRowIsGrey(19));

  // Half the spare height, rounded toward zero, also when the text is taller than the cell.
  const struct {
    int top, cell, text, expected;
  } centred[] = {{0, 24, 16, 4}, {0, 24, 15, 4}, {48, 25, 16, 52}, {10, 16, 16, 10}, {0, 10, 13, -1}};
  for (const auto& c : centred) EXPECT_EQ(CentredTextTop(c.top, c.cell, c.text), c.expected);

  EXPECT_EQ(SysInfoGridHeight(520, 70, 20), 430);
  EXPECT_EQ(SysInfoGridHeight(80, 70, 20), 0);
}

}  // namespace
