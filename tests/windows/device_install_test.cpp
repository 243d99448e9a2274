// The device-installation port and the enumeration against Wine's real device tree.
#include <gtest/gtest.h>

#include "engine/data_manager.h"
#include "core/data_model.h"
#include "platform/win32/win32_machine.h"

#include <windows.h>

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;
const TGuid kDisplayClass = {0x68, 0xe9, 0x36, 0x4d, 0x25, 0xe3, 0xce, 0x11,
                             0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18};

class Win32DeviceInstall : public ::testing::Test {
 protected:
  TWin32DeviceInstall devices;
};

TEST_F(Win32DeviceInstall, ResolvesEveryFunctionFromTheSystemFolder) { EXPECT_TRUE(devices.Available()); }

TEST_F(Win32DeviceInstall, DeviceSetsFollowTheHandleAndSizeContracts) {
  TScopedDevInfoSet set(devices, devices.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
  ASSERT_TRUE(set.Valid());
  TSpDevinfoData device;
  device.cbSize = SP_DEVINFO_DATA_SIZE;
  uint32_t count = 0;
  while (devices.EnumDeviceInfo(set.Get(), count, &device)) ++count;
  EXPECT_GT(count, 0u);

  struct TCase {
    const char* what;
    TDevInfoSet set;
    uint32_t index;
    uint32_t cbSize;
    uint32_t error;
  };
  for (const TCase& entry : {TCase{"past the end", set.Get(), count, SP_DEVINFO_DATA_SIZE, ERROR_NO_MORE_ITEMS},
                             TCase{"wrong size", set.Get(), 0, SP_DEVINFO_DATA_SIZE - 4, ERROR_INVALID_USER_BUFFER},
                             TCase{"invalid set", INVALID_DEVICE_HANDLE, 0, SP_DEVINFO_DATA_SIZE, ERROR_INVALID_HANDLE}}) {
    device.cbSize = entry.cbSize;
    SetLastError(kDummyError);
    EXPECT_FALSE(devices.EnumDeviceInfo(entry.set, entry.index, &device)) << entry.what;
    EXPECT_EQ(devices.LastError(), entry.error) << entry.what;
  }
}

TEST_F(Win32DeviceInstall, DisplayAdapterHasClassIdsAndStatus) {
  TScopedDevInfoSet set(devices, devices.GetClassDevs(&kDisplayClass, DIGCF_PRESENT));
  ASSERT_TRUE(set.Valid());
  TSpDevinfoData device;
  device.cbSize = SP_DEVINFO_DATA_SIZE;
  ASSERT_TRUE(devices.EnumDeviceInfo(set.Get(), 0, &device)) << "Wine lists a display adapter";
  EXPECT_EQ(device.ClassGuid, kDisplayClass);

  char16_t name[MAX_CLASS_NAME_LEN] = {};
  uint32_t required = 0;
  ASSERT_TRUE(devices.ClassNameFromGuid(kDisplayClass, name, MAX_CLASS_NAME_LEN, &required));
  EXPECT_EQ(std::u16string(name), u"Display");

  // A buffer too small: the required size and the type, last error 122.
  uint8_t small[2] = {};
  uint32_t type = 0;
  SetLastError(kDummyError);
  EXPECT_FALSE(devices.GetDeviceRegistryProperty(set.Get(), device, SPDRP_HARDWAREID, &type, small, sizeof(small), &required));
  EXPECT_EQ(devices.LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(type, REG_MULTI_SZ);
  EXPECT_GT(required, 4u);

  uint32_t status = 0, problem = 99;
  EXPECT_EQ(devices.GetDevNodeStatus(&status, &problem, device.DevInst, 0), CR_SUCCESS);
  EXPECT_EQ(problem, 0u);

  TGuid classGuid{};
  uint32_t first = devices.EnumerateClasses(0, &classGuid, 0);
  if (first == CR_NO_SUCH_VALUE)
    RecordProperty("known_wine_deviation", "CM_Enumerate_Classes lists no class");
  else
    EXPECT_EQ(first, CR_SUCCESS);
  EXPECT_EQ(devices.EnumerateClasses(100000, &classGuid, 0), CR_NO_SUCH_VALUE);
}

TEST_F(Win32DeviceInstall, DriverInfoListsAreAKnownWineGap) {
  TScopedDevInfoSet set(devices, devices.GetClassDevs(&kDisplayClass, DIGCF_PRESENT));
  TSpDevinfoData device;
  device.cbSize = SP_DEVINFO_DATA_SIZE;
  ASSERT_TRUE(devices.EnumDeviceInfo(set.Get(), 0, &device));
  SetLastError(kDummyError);
  bool built = devices.BuildDriverInfoList(set.Get(), device, SPDIT_CLASSDRIVER);
  if (!built) {
    // Known Wine deviation: SetupDiBuildDriverInfoList is not implemented (error 120).
    EXPECT_EQ(devices.LastError(), ERROR_CALL_NOT_IMPLEMENTED);
  }
}

TEST(Win32Enumeration, TheEngineDescribesWinesDisplayAdapter) {
  TWin32Machine machine;
  TDriverDatamodel model(machine.Ports());
  TDataManager engine(model, machine.Ports());
  bool displayFound = false;
  int described = 0;
  for (uint32_t index = 0; index < 10000; ++index) {
    TDeviceProperties record;
    int result = engine.EnumAllDevices(index, record);
    if (result == -1) break;
    ASSERT_NE(result, -3);
    if (result != 0) continue;
    ++described;
    if (record.FGUID == kDisplayClass) {
      displayFound = true;
      EXPECT_EQ(record.strClassGUID, "Display");
      EXPECT_FALSE(record.strClassDescription.empty());
      EXPECT_FALSE(record.strHID.empty());
      EXPECT_EQ(record.strHIDs.front(), record.strHID);
    }
  }
  EXPECT_GT(described, 0);
  EXPECT_TRUE(displayFound);

  TClassString name;
  std::string description;
  bool present = false;
  int32_t image = -1;
  int result = engine.EnumDeviceClasses(0, name, description, present, image);
  if (result == -1)
    RecordProperty("known_wine_deviation", "CM_Enumerate_Classes lists no class");
  else
    EXPECT_EQ(result, 0);
}

}  // namespace
