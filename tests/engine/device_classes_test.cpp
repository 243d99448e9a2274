#include <gtest/gtest.h>

#include "engine/sim_engine.h"

namespace {

class DeviceClasses : public ::testing::Test, public TSimEngineFixture {};

TEST_F(DeviceClasses, EnumDeviceClassesReportsNamedClassesWithAnInstallerKey) {
  machine.devices.AddClass("{00000001-0000-0000-0000-000000000000}", "", "Nameless");
  machine.devices.AddClass("{00000002-0000-0000-0000-000000000000}", "Keyless", "").installerKey = false;
  machine.devices.AddClass("{00000003-0000-0000-0000-000000000000}", "Broken", "").invalidData = true;
  struct TCase {
    int result;
    std::string name;
    std::string description;
    bool present;
    int32_t image;
  };
  const TCase expected[] = {
      {0, "Display", "Display adapters", true, 0},
      {0, "HIDClass", "", true, 1},
      {0, "Unknown", "Other devices", true, 2},
      {0, "", "Nameless", false, 3},
      {0, "", "untouched", false, 4},  // no installer key: the description stays as it was
      {-2, "", "untouched", false, -7},
      {-1, "", "untouched", false, -7},
  };
  for (uint32_t index = 0; index < std::size(expected); ++index) {
    TClassString name;
    std::string description = "untouched";
    bool present = true;
    int32_t image = -7;
    EXPECT_EQ(Engine().EnumDeviceClasses(index, name, description, present, image), expected[index].result);
    EXPECT_EQ(name, expected[index].name) << index;
    EXPECT_EQ(description, expected[index].description) << index;
    EXPECT_EQ(present, expected[index].present) << index;
    EXPECT_EQ(image, expected[index].image) << index;
  }
  EXPECT_EQ(machine.devices.OpenSets(), 0u);
  EXPECT_EQ(machine.devices.OpenKeys(), 0u);
}

TEST_F(DeviceClasses, EnumDevicesClassUnknownDescribesClasslessDevicesAgain) {
  const TGuid noClass{};
  machine.devices.AddDevice(TSimDevice{.classGuid = GuidFromText(HID_CLASS), .friendlyName = "Has a class",
                                       .hardwareIds = {"HID\\1"}});
  machine.devices.AddDevice(TSimDevice{.instanceId = "PCI\\VEN_1\\3&1", .classGuid = noClass,
                                       .description = "PCI Device  ", .location = "PCI bus 0, device 31",
                                       .hardwareIds = {"PCI\\VEN_1&DEV_2", "PCI\\VEN_1"}});
  machine.devices.AddDevice(TSimDevice{.instanceId = "ACPI\\QV0001\\0", .classGuid = noClass,
                                       .friendlyName = "No Hardware Id", .present = false});
  machine.devices.AddDevice(TSimDevice{.instanceId = "ROOT\\X\\0", .classGuid = noClass, .hardwareIds = {"ROOT\\X"}});
  TDeviceProperties record;
  ASSERT_EQ(Enumerate(1, record), 0);
  EXPECT_EQ(record.strClassGUID, "");

  TDeviceList old(machine.locale);
  auto ignored = std::make_unique<TDeviceProperties>();
  ignored->strHID = "pci\\ven_1&dev_2";
  ignored->nIgnored = 1;
  old.Add(std::move(ignored));

  size_t openSets = machine.devices.OpenSets();
  ASSERT_EQ(Engine().EnumDevicesClassUnknown("Unknown", 17, old), 0);
  EXPECT_EQ(machine.devices.OpenSets(), openSets);
  ASSERT_EQ(model->DeviceList().Count(), 2u);
  const TDeviceProperties& byInstance = model->DeviceList()[0];
  EXPECT_EQ(byInstance.strHID, "ACPI\\QV0001\\0");
  EXPECT_EQ(byInstance.strName, "No Hardware Id");
  EXPECT_EQ(byInstance.nIgnored, 0);
  const TDeviceProperties& pci = model->DeviceList()[1];
  EXPECT_EQ(pci.strHID, "PCI\\VEN_1&DEV_2");
  EXPECT_EQ(pci.strName, "PCI Device - PCI bus 0, device 31");
  EXPECT_EQ(pci.strClassGUID, "Unknown");
  EXPECT_EQ(pci.strClassDescription, "Other Devices");
  EXPECT_EQ(pci.FGUID, TGuid{});
  EXPECT_EQ(pci.nDeviceImage, 17);
  EXPECT_EQ(pci.nIgnored, 1);
  EXPECT_TRUE(pci.strCompatibleHIDs.empty());
  EXPECT_EQ(pci.strVersion, "");

  machine.devices.classDevsFail = true;
  EXPECT_EQ(Engine().EnumDevicesClassUnknown("Unknown", 17, old), -1);
}

TEST_F(DeviceClasses, BuildImageListLoadsOneIconPerClassAndReleasesIt) {
  machine.devices.classes[1].icon = false;  // HIDClass has no icon
  for (const char* guid : {HID_CLASS, DISPLAY_CLASS, HID_CLASS, UNKNOWN_CLASS, DISPLAY_CLASS}) {
    auto device = std::make_unique<TDeviceProperties>();
    device->FGUID = GuidFromText(guid);
    device->strHID = std::string(guid) + std::to_string(model ? model->DeviceList().Count() : 0);
    device->nClassImage = 5;
    Engine();
    model->AddDevice(std::move(device));
  }
  Engine().BuildImageList();
  Engine().BuildImageList();  // a rebuild starts from an empty list

  EXPECT_EQ(machine.imageLists.ImageCount(Engine().DeviceClassImages().handle), 2);
  std::map<std::string, std::set<int32_t>> images;
  for (const auto& device : model->DeviceList())
    images[device->FGUID == GuidFromText(HID_CLASS) ? "hid" : device->FGUID == GuidFromText(DISPLAY_CLASS) ? "display" : "unknown"]
        .insert(device->nClassImage);
  EXPECT_EQ(images["hid"], (std::set<int32_t>{-1}));
  EXPECT_EQ(images["display"].size(), 1u);
  EXPECT_EQ(images["unknown"].size(), 1u);
  EXPECT_NE(*images["display"].begin(), *images["unknown"].begin());
  EXPECT_EQ(machine.imageLists.destroyedIcons, machine.devices.LoadedIcons());

  engine.reset();
  EXPECT_EQ(machine.imageLists.OpenLists(), 0u);
}

}  // namespace
