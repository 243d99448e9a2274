#include <gtest/gtest.h>

#include "engine/device_reads.h"
#include "engine/sim_engine.h"

namespace {

class EnumAllDevices : public ::testing::Test, public TSimEngineFixture {};

TEST_F(EnumAllDevices, DescribesAPresentDeviceAndItsInstalledDriver) {
  TSimDevice gpu;
  gpu.classGuid = GuidFromText(DISPLAY_CLASS);
  gpu.friendlyName = "Quorvane GX 100";
  gpu.description = "Video Controller";
  gpu.hardwareIds = {"PCI\\VEN_1234&DEV_1111&SUBSYS_0001", "PCI\\VEN_1234&DEV_1111"};
  gpu.compatibleIds = {"PCI\\CC_030000", "PCI\\CC_0300"};
  gpu.problem = 43;
  gpu.driver = Driver();
  TSimDriver older = Driver(0x0001000000000000ULL);
  older.provider = "Someone Else";
  gpu.storeDrivers = {older};  // only the installed driver may be reported
  machine.devices.AddDevice(gpu);

  TDeviceProperties record;
  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(record.FGUID, GuidFromText(DISPLAY_CLASS));
  EXPECT_EQ(record.strClassGUID, "Display");
  EXPECT_EQ(record.strClassDescription, "Display adapters");
  EXPECT_EQ(record.nDeviceImage, 0);
  EXPECT_EQ(record.strName, "Quorvane GX 100");
  EXPECT_EQ(record.nStatusCode, 43u);
  EXPECT_EQ(record.strHID, "PCI\\VEN_1234&DEV_1111&SUBSYS_0001");
  EXPECT_EQ(record.strHIDs, gpu.hardwareIds);
  EXPECT_EQ(record.strCompatibleHID, "PCI\\CC_030000");
  EXPECT_EQ(record.strCompatibleHIDs, gpu.compatibleIds);
  EXPECT_EQ(record.strINFFileName, "C:\\Windows\\INF\\oem7.inf");
  EXPECT_EQ(record.strINFSectionName, "Display_Install.NTamd64");
  EXPECT_EQ(record.strManufacturer, "Quorvane Graphics");
  EXPECT_EQ(record.strProvider, "Quorvane Inc.");
  EXPECT_EQ(record.strNewProvider, "Quorvane Inc.");
  EXPECT_EQ(record.strDriverDate, "2021-03-04");
  EXPECT_EQ(record.strVersion, "10.0.0.20000");

  EXPECT_EQ(Enumerate(1, record), -1);
  EXPECT_EQ(machine.devices.OpenSets(), 0u);
  EXPECT_EQ(machine.devices.OpenKeys(), 0u);
}

TEST_F(EnumAllDevices, ANonPresentDeviceIsUnpluggedAndNamedWithItsLocation) {
  TSimDevice stick{.instanceId = "USB\\VID_1\\1", .classGuid = GuidFromText(HID_CLASS),
                   .description = "USB Input Device", .location = "Port_#0002.Hub_#0001",
                   .hardwareIds = {"USB\\VID_1&PID_2"}, .present = false, .problem = 0};
  machine.devices.AddDevice(stick);
  stick.friendlyName = "Named Stick";  // a friendly name is used as it is
  machine.devices.AddDevice(stick);
  stick.friendlyName.clear();
  stick.location.clear();  // no location: the description alone
  machine.devices.AddDevice(stick);

  TDeviceProperties record;
  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(record.strClassGUID, "Unplugged Devices");
  EXPECT_EQ(record.strClassDescription, "Unplugged Devices");
  EXPECT_EQ(record.FGUID, GuidFromText(HID_CLASS));
  EXPECT_EQ(record.strName, "USB Input Device - Port_#0002.Hub_#0001");
  ASSERT_EQ(Enumerate(1, record), 0);
  EXPECT_EQ(record.strName, "Named Stick");
  ASSERT_EQ(Enumerate(2, record), 0);
  EXPECT_EQ(record.strName, "USB Input Device");
}

TEST_F(EnumAllDevices, SkipRulesAndNamelessDevices) {
  struct TCase {
    std::string friendlyName;
    std::string description;
    std::vector<std::string> hardwareIds;
    int expected;
  };
  const TCase cases[] = {
      {"Unknown device", "", {"PCI\\VEN_1"}, -5},
      {"", "unknown", {"PCI\\VEN_1"}, -5},
      {"UNKNOWN USB Device (Device Descriptor Request Failed)", "", {"USB\\VID_0000"}, -5},
      {"Keyboard", "", {"SWD\\MMDEVAPI\\{0.0.1}", "PCI\\VEN_1"}, -5},
      {"Keyboard", "", {"sw\\{96e080c7}"}, -5},
      {"Keyboard", "", {"PCI\\SW_LIKE", "SWD\\second"}, 0},  // only the first id counts
      {"Known Device Unknown", "", {"PCI\\VEN_1"}, 0},
      {"", "", {"PCI\\VEN_1"}, -4},
      {"Keyboard", "", {}, 0},
  };
  for (const auto& entry : cases)
    machine.devices.AddDevice(TSimDevice{.classGuid = GuidFromText(HID_CLASS), .friendlyName = entry.friendlyName,
                                         .description = entry.description, .hardwareIds = entry.hardwareIds});
  for (uint32_t index = 0; index < std::size(cases); ++index) {
    TDeviceProperties record;
    EXPECT_EQ(Enumerate(index, record), cases[index].expected) << "device " << index;
  }
  TDeviceProperties record;
  Enumerate(std::size(cases) - 1, record);
  EXPECT_EQ(record.strHID, "");
  EXPECT_TRUE(record.strHIDs.empty());
}

TEST_F(EnumAllDevices, ADeviceWithoutDriverOrClassHasEmptyFields) {
  machine.devices.AddDevice(TSimDevice{.instanceId = "ROOT\\UNKNOWN\\0000", .classGuid = GuidFromText("{11111111-2222-3333-4444-555555555555}"),
                                       .description = "Mystery Box", .hardwareIds = {"ROOT\\MYSTERY"}});
  TDeviceProperties record;
  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(record.FGUID, TGuid{});
  EXPECT_EQ(record.strClassGUID, "");
  EXPECT_EQ(record.strClassDescription, "");
  EXPECT_EQ(record.strName, "Mystery Box");
  EXPECT_EQ(record.strVersion, "");
  EXPECT_EQ(record.strDriverDate, "");
  EXPECT_EQ(record.strINFFileName, "");
  EXPECT_EQ(record.strProvider, "");
}

TEST_F(EnumAllDevices, AHardwareIdListOver8192BytesIsReadWholeAfterOneResizedQuery) {
  std::vector<std::string> ids;
  for (int i = 0; i < 200; ++i) ids.push_back("PCI\\VEN_8086&DEV_" + std::to_string(1000 + i) + "&SUBSYS_00000000");
  machine.devices.AddDevice(TSimDevice{.classGuid = GuidFromText(HID_CLASS), .friendlyName = "Many Ids", .hardwareIds = ids});
  TDeviceProperties record;
  TSpDevinfoData device;
  device.cbSize = SP_DEVINFO_DATA_SIZE;
  TScopedDevInfoSet set(machine.devices, machine.devices.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
  ASSERT_TRUE(machine.devices.EnumDeviceInfo(set.Get(), 0, &device));

  int before = machine.devices.propertyQueries;
  std::vector<std::string> read{"kept"};
  ASSERT_TRUE(Engine().GetDevMultiSz(set.Get(), device, SPDRP_HARDWAREID, read));
  EXPECT_EQ(machine.devices.propertyQueries - before, 2);
  ASSERT_EQ(read.size(), ids.size() + 1);
  EXPECT_EQ(read.front(), "kept");  // strings are appended
  EXPECT_EQ(read.back(), ids.back());
  // A string read yields the first id, also from a long multi-string.
  EXPECT_EQ(Engine().GetDeviceStringProperty(set.Get(), device, SPDRP_HARDWAREID), ids.front());
  EXPECT_EQ(Engine().GetDeviceStringProperty(set.Get(), device, SPDRP_LOCATION_INFORMATION), "");

  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(record.strHIDs, ids);
}

TEST_F(EnumAllDevices, OneDeviceSetServesAWholeEnumerationAndIsReleased) {
  for (int i = 0; i < 5; ++i)
    machine.devices.AddDevice(TSimDevice{.classGuid = GuidFromText(HID_CLASS), .friendlyName = "Device " + std::to_string(i),
                                         .hardwareIds = {"HID\\" + std::to_string(i)}});
  std::vector<std::string> names;
  TDeviceProperties record;
  for (uint32_t index = 0; Enumerate(index, record) != -1; ++index) names.push_back(record.strName);
  EXPECT_EQ(names, (std::vector<std::string>{"Device 0", "Device 1", "Device 2", "Device 3", "Device 4"}));
  EXPECT_EQ(machine.devices.setsCreated, 1);
  EXPECT_EQ(machine.devices.OpenSets(), 0u);

  // A stopped enumeration keeps its set until the next one starts or the engine ends.
  Enumerate(0, record);
  Enumerate(1, record);
  EXPECT_EQ(machine.devices.OpenSets(), 1u);
  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(machine.devices.OpenSets(), 1u);
  EXPECT_EQ(machine.devices.setsCreated, 3);
  engine.reset();
  EXPECT_EQ(machine.devices.OpenSets(), 0u);

  machine.devices.classDevsFail = true;
  EXPECT_EQ(Enumerate(0, record), -3);
}

TEST_F(EnumAllDevices, ADriverListThatFailsFallsBackToTheDriverKey) {
  machine.devices.driverInfoListImplemented = false;  // as on Wine
  TSimDevice completed{.classGuid = GuidFromText(DISPLAY_CLASS), .friendlyName = "Installed by INF",
                       .manufacturer = "Quorvane Graphics", .hardwareIds = {"ROOT\\QVTEST"}};
  completed.driverKey = {{"InfPath", SimStringValue("oem3.inf")},
                         {"InfSection", SimStringValue("QvTest_Install")},
                         {"ProviderName", SimStringValue("Quorvane Inc.")},
                         {"DriverVersion", SimStringValue("10.0.0.20000")},
                         {"DriverDate", SimStringValue("3-4-2021")}};
  machine.devices.AddDevice(completed);
  TSimDevice binaryDate = completed;
  binaryDate.driverKey["DriverDateData"] = SimBinaryValue(MARCH_4_2021 + 864000000000ULL);
  machine.devices.AddDevice(binaryDate);
  TSimDevice wineAsInstalled = completed;  // what Wine 8 leaves in the key
  wineAsInstalled.driverKey = {{"InfPath", SimStringValue("")}, {"InfSection", SimStringValue("QvTest_Install")}};
  machine.devices.AddDevice(wineAsInstalled);
  TSimDevice noSection = completed;
  noSection.driverKey.erase("InfSection");
  machine.devices.AddDevice(noSection);
  TSimDevice noKey = completed;
  noKey.driverKey.clear();
  machine.devices.AddDevice(noKey);

  TDeviceProperties record;
  ASSERT_EQ(Enumerate(0, record), 0);
  EXPECT_EQ(record.strINFFileName, "oem3.inf");
  EXPECT_EQ(record.strINFSectionName, "QvTest_Install");
  EXPECT_EQ(record.strProvider, "Quorvane Inc.");
  EXPECT_EQ(record.strManufacturer, "Quorvane Graphics");
  EXPECT_EQ(record.strVersion, "10.0.0.20000");
  EXPECT_EQ(record.strDriverDate, "2021-03-04");
  ASSERT_EQ(Enumerate(1, record), 0);
  EXPECT_EQ(record.strDriverDate, "2021-03-05");  // the binary date wins
  ASSERT_EQ(Enumerate(2, record), 0);
  EXPECT_EQ(record.strINFSectionName, "QvTest_Install");
  EXPECT_EQ(record.strVersion, "0.0.0.0");
  EXPECT_EQ(record.strDriverDate, "");
  for (uint32_t index : {3u, 4u}) {
    ASSERT_EQ(Enumerate(index, record), 0);
    EXPECT_EQ(record.strVersion, "") << "device " << index;
    EXPECT_EQ(record.strINFSectionName, "") << "device " << index;
  }
  EXPECT_EQ(machine.devices.OpenKeys(), 0u);
}

TEST_F(EnumAllDevices, WildCompareHwIdsIgnoresCaseAndHasNoWildcards) {
  const std::vector<std::string> ids = {"PCI\\VEN_8086&DEV_1234", "ACPI\\*PNP0303", "USB\\CLASS_03"};
  struct TCase {
    const char* entry;
    bool found;
  };
  for (const TCase& entry : {TCase{"pci\\ven_8086&dev_1234", true}, TCase{"ACPI\\*pnp0303", true},
                             TCase{"ACPI\\PNP0303", false}, TCase{"PCI\\*", false}, TCase{"*", false},
                             TCase{"USB\\CLASS_0", false}})
    EXPECT_EQ(Engine().WildCompareHwIds(ids, entry.entry), entry.found) << entry.entry;
}

}  // namespace

namespace {

std::vector<uint8_t> Utf16Buffer(const std::u16string& text, size_t bytes) {
  std::vector<uint8_t> buffer(bytes, 0);
  for (size_t i = 0; i < text.size() && 2 * i + 1 < bytes; ++i) {
    buffer[2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  return buffer;
}

}  // namespace

TEST(PropertyBuffers, OnlyTheTextBeforeTheTerminatorsIsRead) {
  struct TCase {
    std::u16string content;
    size_t bytes;
    std::vector<std::string> strings;  // of the buffer read as a multi-string list
    std::string text;                  // of the buffer read as one string
  };
  const TCase cases[] = {
      {u"", 8194, {}, ""},
      {std::u16string(u"PCI\\A\0PCI\\B\0\0", 14), 8194, {"PCI\\A", "PCI\\B"}, "PCI\\A"},
      {std::u16string(u"\0PCI\\A\0", 7), 64, {}, ""},  // an empty first string ends the list
      {u"USB\\\u00C9", 10, {"USB\\\xC3\x89"}, "USB\\\xC3\x89"},  // no terminator in the buffer
      {u"AB", 3, {"A"}, "A"},                                   // an odd byte count
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> buffer = Utf16Buffer(c.content, c.bytes);
    EXPECT_EQ(StringsOfMultiSz(buffer.data(), buffer.size()), c.strings) << c.text;
    EXPECT_EQ(TextOfUtf16Bytes(buffer.data(), buffer.size()), c.text) << c.text;
  }
}
