// A test device installed from a test INF, as the engine enumerates it through the
// Win32 port: its class, name, hardware id and installed driver.
#include <gtest/gtest.h>

#include <string>

#include "core/data_model.h"
#include "engine/data_manager.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"
#include "windows/test_device_installer.h"

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;

// A hardware id of this process only, so that a device left by an earlier run cannot be taken for ours.
TTestDriverFacts TestDriver() {
  TTestDriverFacts facts;
  facts.hardwareId = L"ROOT\\QUORVANE_TEST_" + std::to_wstring(GetCurrentProcessId());
  return facts;
}

// The engine's records of every device whose first hardware id is hardwareId.
std::vector<TDeviceProperties> EnumerateById(const std::string& hardwareId) {
  TWin32Machine machine;
  TDriverDatamodel model(machine.Ports());
  TDataManager engine(model, machine.Ports());
  std::vector<TDeviceProperties> found;
  for (uint32_t index = 0; index < 10000; ++index) {
    TDeviceProperties record;
    int result = engine.EnumAllDevices(index, record);
    if (result == -1) break;
    EXPECT_NE(result, -3);
    if (result == 0 && _stricmp(record.strHID.c_str(), hardwareId.c_str()) == 0) found.push_back(record);
  }
  return found;
}

TEST(Win32InstalledDevice, TheEngineShowsTheTestDeviceWithItsInstalledDriver) {
  const TTestDriverFacts facts = TestDriver();
  const std::string hardwareId = WideToUtf8(facts.hardwareId);
  {
    TTestDeviceInstaller installer(facts);
    std::string failure = installer.Install();
    ASSERT_EQ(failure, "");
    ASSERT_FALSE(installer.OemInfName().empty());

    // What the system's installer itself recorded in the driver key.
    EXPECT_EQ(WideToUtf8(installer.InstalledSection()), WideToUtf8(facts.section));
    if (installer.InstalledInfPath().empty())
      RecordProperty("known_wine_deviation_inf_path", "the installer leaves InfPath empty in the driver key");
    else
      EXPECT_EQ(WideToUtf8(installer.InstalledInfPath()), WideToUtf8(installer.OemInfName()));

    std::vector<TDeviceProperties> records = EnumerateById(hardwareId);
    ASSERT_EQ(records.size(), 1u) << "the test device is listed once";
    const TDeviceProperties& device = records.front();
    struct TCase {
      const char* field;
      std::string actual;
      std::string expected;
    };
    for (const TCase& entry : {
             TCase{"class", device.strClassGUID, WideToUtf8(facts.className)},
             TCase{"name", device.strName, WideToUtf8(facts.description)},
             TCase{"INF", device.strINFFileName, WideToUtf8(installer.OemInfName())},
             TCase{"section", device.strINFSectionName, WideToUtf8(facts.section)},
             TCase{"provider", device.strProvider, WideToUtf8(facts.provider)},
             TCase{"manufacturer", device.strManufacturer, WideToUtf8(facts.manufacturer)},
             TCase{"date", device.strDriverDate, "2021-03-04"},
             TCase{"version", device.strVersion, "1.2.3.4"},
         }) {
      EXPECT_EQ(entry.actual, entry.expected) << entry.field;
    }
    EXPECT_EQ(device.strHIDs, std::vector<std::string>{device.strHID});
    EXPECT_NE(device.strClassGUID, "Unplugged Devices");

    // The driver facts came from the driver key: Wine builds no driver info list.
    TWin32DeviceInstall port;
    TScopedDevInfoSet set(port, port.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
    ASSERT_TRUE(set.Valid());
    TSpDevinfoData member;
    member.cbSize = SP_DEVINFO_DATA_SIZE;
    bool listed = false;
    for (uint32_t index = 0; !listed && port.EnumDeviceInfo(set.Get(), index, &member); ++index) {
      wchar_t ids[256] = {};
      uint32_t type = 0, required = 0;
      listed = port.GetDeviceRegistryProperty(set.Get(), member, SPDRP_HARDWAREID, &type,
                                              reinterpret_cast<uint8_t*>(ids), sizeof(ids) - 4, &required) &&
               _wcsicmp(ids, facts.hardwareId.c_str()) == 0;
    }
    ASSERT_TRUE(listed) << hardwareId;
    SetLastError(kDummyError);
    if (!port.BuildDriverInfoList(set.Get(), member, SPDIT_CLASSDRIVER)) {
      RecordProperty("known_wine_deviation_driver_list", "SetupDiBuildDriverInfoList fails with 120; the driver key is read");
      EXPECT_EQ(port.LastError(), ERROR_CALL_NOT_IMPLEMENTED);
    }

    ASSERT_TRUE(installer.Remove()) << "DIF_REMOVE";
  }
  EXPECT_TRUE(EnumerateById(hardwareId).empty()) << "the removed device is gone from the device tree";
}

}  // namespace
