#include <gtest/gtest.h>

#include "devices/device_properties.h"
#include "devices/problem_texts.h"
#include "platform/sim/builtin_strings.h"

namespace {

TDeviceProperties Device(const std::string& newVersion, int ignored, const std::string& classGuid,
                         const std::string& version = "1.0.0.0") {
  TDeviceProperties device;
  device.strNewVersion = newVersion;
  device.nIgnored = ignored;
  device.strClassGUID = classGuid;
  device.strVersion = version;
  return device;
}

TEST(DeviceProperties, NewRecordIsUpToDate) {
  TDeviceProperties device;
  EXPECT_TRUE(device.IsUpdated());
  EXPECT_FALSE(device.IsOutdated());
  EXPECT_FALSE(device.IsIgnored());
  EXPECT_FALSE(device.IsSelected() || device.IsInstalled() || device.IsUninstalled());
  EXPECT_EQ(device.nStatusCode, 0u);
}

TEST(DeviceProperties, BlankOfferIsNeitherUpToDateNorOutdated) {
  TDeviceProperties device = Device("  ", 0, "Display");
  EXPECT_FALSE(device.IsUpdated());
  EXPECT_FALSE(device.IsOutdated());
}

TEST(DeviceProperties, DriverTypeMasks) {
  struct Case {
    const char* what;
    TDeviceProperties device;
    int mask;
    bool expected;
  } cases[] = {
      {"ignored with offer is ignored", Device("2.0", 1, "Display"), 4, true},
      {"ignored with offer is not outdated", Device("2.0", 1, "Display"), 2, false},
      {"ignored is never up to date", Device("", 1, "Display"), 1, false},
      {"outdated present", Device("2.0", 0, "Display"), 2 + 16, true},
      {"outdated unplugged is not present", Device("2.0", 0, "Unplugged Devices"), 2 + 16, false},
      {"class compared with case", Device("2.0", 0, "unplugged devices"), 2 + 16, true},
      {"installed driver bit", Device("", 0, "Display"), 1 + 8, true},
      {"no installed driver", Device("", 0, "Display", ""), 8, false},
      {"ignored with outdated matches nothing", Device("2.0", 1, "Display"), 4 + 2, false},
      {"empty mask matches all", Device("2.0", 1, "Unplugged Devices", ""), 0, true},
      {"always bit", Device("", 0, "Display"), 32, true},
      {"unknown bit matches nothing", Device("", 0, "Display"), 64, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.device.IsDriverType(c.mask), c.expected) << c.what;
}

TEST(ProblemTexts, LoadedFromStringTable) {
  TBuiltinStringTable strings;
  TProblemTexts texts(strings);
  EXPECT_EQ(texts.Text(28), "The drivers for this device are not installed. (Code 28)");
  EXPECT_EQ(texts.Text(0), "This device is working properly.");
  EXPECT_EQ(texts.Text(54), "This device has failed and is undergoing a reset. (Code 54)");
  EXPECT_EQ(texts.Text(2), "");
  EXPECT_EQ(texts.Text(55), "");
  EXPECT_EQ(texts.Text(0xFFFFFFFF), "");
}

}  // namespace
