#include <gtest/gtest.h>

#include "support/sim_data_model.h"

namespace {

std::unique_ptr<TDeviceProperties> Device(const std::string& hid, const std::string& name,
                                          const std::string& newVersion = "",
                                          const std::string& classGuid = "Display") {
  auto device = std::make_unique<TDeviceProperties>();
  device->strHID = hid;
  device->strName = name;
  device->strNewVersion = newVersion;
  device->strClassGUID = classGuid;
  device->strVersion = "1.0.0.0";
  return device;
}

class DeviceList : public ::testing::Test, public TSimDataModelFixture {
 protected:
  void SetUp() override { Create(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& device : model->DeviceList()) names.push_back(device->strName);
    return names;
  }
};

TEST_F(DeviceList, SortedWithoutCaseDuplicatesNewestFirst) {
  model->AddDevice(Device("PCI\\VEN_8086", "first"));
  model->AddDevice(Device("ACPI\\PNP0A08", "acpi"));
  model->AddDevice(Device("pci\\ven_8086", "second"));
  model->AddDevice(Device("USB\\ROOT_HUB30", "usb"));
  model->AddDevice(Device("Ä\\x", "umlaut"));
  model->AddDevice(Device("ä\\X", "umlaut small"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"acpi", "second", "first", "usb", "umlaut small", "umlaut"}));
  EXPECT_EQ(model->GetDevice("Pci\\Ven_8086")->strName, "second");
  EXPECT_EQ(model->GetDevice("ä\\x")->strName, "umlaut small");
  EXPECT_EQ(model->GetDevice("PCI\\VEN_10DE"), nullptr);
  EXPECT_EQ(model->DeviceCount(), 6);
  EXPECT_FALSE(model->IsFirstTimeScanned());

  TDeviceList old = model->DeviceList().TakeAll();
  EXPECT_TRUE(model->IsFirstTimeScanned());
  EXPECT_EQ(TDriverDatamodel::GetDevice(old, "PCI\\VEN_8086")->strName, "second");
}

TEST_F(DeviceList, DriverMapsCountsAndTheUnpluggedRule) {
  model->AddDevice(Device("A", "outdated", "2.0"));
  model->AddDevice(Device("B", "up to date"));
  model->AddDevice(Device("C", "unplugged outdated", "2.0", "Unplugged Devices"));
  model->AddDevice(Device("D", "unplugged current", "", "Unplugged Devices"));
  auto ignored = Device("E", "ignored unplugged", "2.0", "Unplugged Devices");
  ignored->nIgnored = 1;
  model->AddDevice(std::move(ignored));

  auto names = [&](int mask) {
    TDriverMap map;
    model->GetDriverMap(map, mask);
    std::vector<std::string> result;
    for (TDeviceProperties* device : map) result.push_back(device->strName);
    return result;
  };
  EXPECT_EQ(names(2), (std::vector<std::string>{"outdated", "unplugged outdated"}));
  EXPECT_EQ(model->GetOutofDateDrivers(), 2);
  EXPECT_EQ(model->GetUptoDateDrivers(), 2);
  EXPECT_EQ(model->GetIgnoredDrivers(), 1);

  model->SetShowUnplugged(false);
  EXPECT_EQ(names(2), (std::vector<std::string>{"outdated"}));
  EXPECT_EQ(names(4), (std::vector<std::string>{}));
  EXPECT_EQ(model->GetOutofDateDrivers(), 1);
  EXPECT_EQ(model->GetUptoDateDrivers(), 1);
  EXPECT_EQ(model->GetIgnoredDrivers(), 1);
}

TEST_F(DeviceList, IgnoreModes) {
  struct Case {
    TignoreType type;
    std::vector<int> expected;  // nIgnored of: target, same id and name, same id other name, other id
  } cases[] = {
      {deviSingle, {1, 0, 0, 0}},
      {deviSameName, {1, 1, 0, 0}},
      {deviAll, {1, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    model->RemoveAll();
    model->AddDevice(Device("HID\\1", "Mouse"));
    model->AddDevice(Device("HID\\1", "Mouse"));
    model->AddDevice(Device("HID\\1", "Keyboard"));
    model->AddDevice(Device("hid\\1", "Mouse"));  // exact comparison: another id
    TDeviceList& list = model->DeviceList();
    std::vector<TDeviceProperties*> mice;
    TDeviceProperties *otherName = nullptr, *otherId = nullptr;
    for (const auto& device : list) {
      if (device->strHID == "hid\\1") otherId = device.get();
      else if (device->strName == "Keyboard") otherName = device.get();
      else mice.push_back(device.get());
    }
    ASSERT_EQ(mice.size(), 2u);
    TDeviceProperties *target = mice[0], *sameName = mice[1];
    ASSERT_EQ(target->strName, "Mouse");
    model->ExcludeDevice(*target, c.type);
    EXPECT_EQ((std::vector<int>{target->nIgnored, sameName->nIgnored, otherName->nIgnored, otherId->nIgnored}),
              c.expected)
        << c.type;
    for (const auto& device : list) device->nIgnored = 1;
    model->IncludeDevice(*target, c.type);
    std::vector<int> included;
    for (int value : c.expected) included.push_back(1 - value);
    EXPECT_EQ((std::vector<int>{target->nIgnored, sameName->nIgnored, otherName->nIgnored, otherId->nIgnored}),
              included)
        << c.type;
  }
}

TEST_F(DeviceList, ClassImages) {
  auto display = Device("A", "a");
  display->FGUID[0] = 7;
  model->AddDevice(std::move(display));
  model->AddDevice(Device("B", "b"));
  model->ClearClassImages();
  EXPECT_EQ(model->DeviceList()[0].nClassImage, -1);
  TGuid guid{};
  guid[0] = 7;
  model->UpdateClassImages(guid, 3);
  EXPECT_EQ(model->DeviceList()[0].nClassImage, 3);
  EXPECT_EQ(model->DeviceList()[1].nClassImage, -1);
}

TEST_F(DeviceList, ServerPortFollowsTheSystem) {
  model->SetServerPort(8443);
  EXPECT_EQ(model->ServerPort(), 8443);
  machine.osVersion.version = {5, 1, 2600};
  machine.osVersion.productType.reset();
  TDriverDatamodel& xp = Create();
  EXPECT_FALSE(xp.IsOsVistaAndAbove());
  EXPECT_EQ(xp.OSVersion(), "5.1.0");
  EXPECT_EQ(xp.ServerPort(), 80);
  xp.SetServerPort(443);
  EXPECT_EQ(xp.ServerPort(), 80);
}

TEST(CompareClassDescription, OrdinalWithoutCase) {
  TDeviceProperties a, b;
  a.strClassDescription = "display adapters";
  b.strClassDescription = "Disk drives";
  EXPECT_GT(CompareClassDescription(a, b), 0);
  b.strClassDescription = "DISPLAY ADAPTERS";
  EXPECT_EQ(CompareClassDescription(a, b), 0);
}

}  // namespace
