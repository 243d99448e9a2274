// The device details window's content by mode and problem code, "Show All", and the
// arithmetic of its driver grid.
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"
#include "ui/device_details.h"

namespace {

class DeviceDetails : public ::testing::Test {
 protected:
  DeviceDetails() {
    device.strClassDescription = "Display adapters";
    device.strName = "Quorvane Display";
    device.strHID = "PCI\\VEN_1234&DEV_1111";
    device.strHIDs = {"PCI\\VEN_1234&DEV_1111&REV_01", "PCI\\VEN_1234&DEV_1111"};
    device.nClassImage = 7;
    device.strDriverDate = "3/4/2021";
    device.strVersion = "10.0.0.20000";
    device.strProvider = "Quorvane Inc.";
    device.strNewDriverDate = "1/2/2024";
    device.strNewVersion = "31.0.0.1";
    device.strNewProvider = "Quorvane Graphics";
  }
  TSimMachine machine;
  TProblemTexts problems{machine.strings};
  TDeviceProperties device;
};

TEST_F(DeviceDetails, ContentByModeAndProblemCode) {
  struct {
    bool outdated;
    uint32_t code;
    std::array<std::string, 3> offered;
    const char* button;
    const char* status;
  } const cases[] = {
      {true, 0, {"1/2/2024", "31.0.0.1", "Quorvane Graphics"}, "Update", nullptr},
      {true, 10, {"1/2/2024", "31.0.0.1", "Quorvane Graphics"}, "Update", "This device cannot start. (Code 10)"},
      {false, 0, {"N/A", "N/A", "N/A"}, "Close", nullptr},
  };
  for (const auto& c : cases) {
    device.nStatusCode = c.code;
    const TDeviceDetailsView view = DeviceDetailsView(device, c.outdated, machine.strings, problems);
    EXPECT_EQ(view.caption, "   Driver Update Details");
    EXPECT_EQ(view.classText, "Display adapters");
    EXPECT_EQ(view.hid, "PCI\\VEN_1234&DEV_1111");
    EXPECT_EQ(view.classImage, 7);
    EXPECT_EQ(view.statusShown, c.status != nullptr);
    EXPECT_EQ(view.statusText, c.status ? c.status : "");
    EXPECT_EQ(view.cells[1][1], "Installed driver");
    EXPECT_EQ(view.cells[1][2], "Available driver");
    EXPECT_EQ(view.cells[4][0], "Provider");
    EXPECT_EQ(view.cells[3][1], "10.0.0.20000");
    for (int row = 2; row <= 4; ++row) EXPECT_EQ(view.cells[row][2], c.offered[row - 2]);
    EXPECT_EQ(view.buttonCaption, c.button);
    EXPECT_EQ(view.buttonHint, c.outdated ? "Update this device driver" : "");
    EXPECT_EQ(view.infoShown, c.outdated);
    // The sign is in the text, not in its hint.
    EXPECT_EQ(view.infoText, "\xE2\x93\x98 " + view.infoHint);
    EXPECT_EQ(view.infoHint.find("\xE2\x93\x98"), std::string::npos);
  }
}

TEST_F(DeviceDetails, ShowAllListsCompatibleIdsOnlyWhenThereAreAny) {
  EXPECT_EQ(ShowAllText(device, machine.strings),
            "Hardware IDs:\r\nPCI\\VEN_1234&DEV_1111&REV_01\r\nPCI\\VEN_1234&DEV_1111\r\n");
  device.strCompatibleHIDs = {"PCI\\CC_0300"};
  EXPECT_EQ(ShowAllText(device, machine.strings),
            "Hardware IDs:\r\nPCI\\VEN_1234&DEV_1111&REV_01\r\nPCI\\VEN_1234&DEV_1111\r\n\r\nCompatible IDs:\r\n"
            "PCI\\CC_0300\r\n");
}

TEST(DetailsGrid, ColumnsRowsAndHeight) {
  TDetailsGrid grid;
  EXPECT_EQ(grid.Height(), (35 + 2) * 4);  // row 0 hidden
  EXPECT_EQ(grid.ColumnWidths(560), (std::array<int, 3>{111, 222, 222}));  // of 554
  EXPECT_EQ(grid.ColumnWidths(4), (std::array<int, 3>{0, 0, 0}));
  struct {
    int row, textHeight, grown, rowHeight;
  } const cells[] = {
      {2, 16, 0, 35},  // one line fits
      {4, 33, 0, 35},  // exactly the row less 2
      {4, 34, 4, 39},  // a wrapped provider grows its row
      {4, 50, 16, 55}, // a taller cell of the same row grows it further
      {4, 40, 0, 55},  // a shorter one leaves it
      {0, 90, 0, -1},  // the hidden row stays hidden
  };
  int grown = 0;
  for (const auto& c : cells) {
    EXPECT_EQ(grid.FitCell(c.row, c.textHeight), c.grown) << c.row << " " << c.textHeight;
    EXPECT_EQ(grid.RowHeight(c.row), c.rowHeight);
    grown += c.grown;
  }
  EXPECT_EQ(grid.Height(), (35 + 2) * 4 + grown);
  // At 144 dpi the rows start scaled.
  EXPECT_EQ(TDetailsGrid(53, 3).Height(), (53 + 3) * 4);
}

TEST(DetailsGrid, WindowCappedAtTheWorkArea) {
  EXPECT_EQ(CappedWindowHeight(421, 1040), 421);
  EXPECT_EQ(CappedWindowHeight(1500, 1040), 1040);
  EXPECT_EQ(CappedWindowHeight(421, -5), 0);
}

}  // namespace
