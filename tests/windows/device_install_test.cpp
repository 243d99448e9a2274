// The device-installation port and the enumeration against Wine's real device tree.
#include <gtest/gtest.h>

#include "engine/data_manager.h"
#include "core/data_model.h"
#include "platform/win32/win32_machine.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;
const TGuid kDisplayClass = {0x68, 0xe9, 0x36, 0x4d, 0x25, 0xe3, 0xce, 0x11,
                             0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18};
const TGuid kHidClass = {0xa0, 0x17, 0x5a, 0x74, 0xd3, 0x74, 0xd0, 0x11,
                         0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda};

// A class of devices Wine's device tree always holds, and what its devices show.
struct TKnownClass {
  const char* what;
  TGuid guid;
  std::u16string name;          // SetupDiClassNameFromGuid
  const wchar_t* classKey;      // the class's installer key
  std::string firstHardwareId;  // how the first hardware id begins
};

const TKnownClass kKnownClasses[] = {
    // Wine's display adapter sits on a PCI id of zeros.
    {"display adapter", kDisplayClass, u"Display",
     L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}", "PCI\\VEN_"},
    {"HID device", kHidClass, u"HIDClass",
     L"SYSTEM\\CurrentControlSet\\Control\\Class\\{745a17a0-74d3-11d0-b6fe-00a0c90f57da}", "HID\\VID_"},
};

// The class description a record should carry: the class key's default value, or
// the class name when it has none. (Wine changes the display class's description
// after a new prefix's first start, so it is read rather than fixed.)
std::string ClassDescription(const TKnownClass& known) {
  wchar_t value[512] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, known.classKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS ||
      value[0] == L'\0')
    return std::string(known.name.begin(), known.name.end());
  std::wstring text(value);
  return std::string(text.begin(), text.end());  // ASCII
}

bool BeginsWith(const std::string& text, const std::string& prefix) {
  return _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// The first string of a REG_MULTI_SZ property of ASCII ids.
std::string FirstString(const uint8_t* bytes) {
  std::wstring first(reinterpret_cast<const wchar_t*>(bytes));
  return std::string(first.begin(), first.end());
}

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

// Every present device of each known class: its class, first hardware id, node
// status and instance id, as SetupAPI and the configuration manager report them.
TEST_F(Win32DeviceInstall, DevicesOfKnownClassesHaveIdsAndNodeStatus) {
  for (const TKnownClass& known : kKnownClasses) {
    SCOPED_TRACE(known.what);
    char16_t name[MAX_CLASS_NAME_LEN] = {};
    uint32_t required = 0;
    ASSERT_TRUE(devices.ClassNameFromGuid(known.guid, name, MAX_CLASS_NAME_LEN, &required));
    EXPECT_EQ(std::u16string(name), known.name);

    TScopedDevInfoSet set(devices, devices.GetClassDevs(&known.guid, DIGCF_PRESENT));
    ASSERT_TRUE(set.Valid());
    TSpDevinfoData device;
    device.cbSize = SP_DEVINFO_DATA_SIZE;
    uint32_t count = 0;
    bool expectedId = false;
    for (; devices.EnumDeviceInfo(set.Get(), count, &device); ++count) {
      EXPECT_EQ(device.ClassGuid, known.guid);

      uint8_t ids[4096] = {};
      uint32_t type = 0;
      SetLastError(kDummyError);
      ASSERT_TRUE(devices.GetDeviceRegistryProperty(set.Get(), device, SPDRP_HARDWAREID, &type, ids,
                                                    sizeof(ids) - 4, &required));
      EXPECT_EQ(type, REG_MULTI_SZ);
      std::string first = FirstString(ids);
      EXPECT_FALSE(first.empty());
      expectedId = expectedId || BeginsWith(first, known.firstHardwareId);

      uint32_t status = kDummyError, problem = 99;
      ASSERT_EQ(devices.GetDevNodeStatus(&status, &problem, device.DevInst, 0), CR_SUCCESS);
      EXPECT_EQ(problem, 0u);
      EXPECT_NE(status, kDummyError);
      EXPECT_EQ(status & DN_HAS_PROBLEM, 0u);
      if (status == 0)
        RecordProperty("known_wine_deviation_node_status", "CM_Get_DevNode_Status reports no flags: not DN_STARTED");
      else
        EXPECT_EQ(status & (DN_DRIVER_LOADED | DN_STARTED), DN_DRIVER_LOADED | DN_STARTED);

      char16_t instanceId[MAX_DEVICE_ID_LEN + 1] = {};
      ASSERT_EQ(devices.GetDeviceIdEx(device.DevInst, instanceId, MAX_DEVICE_ID_LEN, 0, 0), CR_SUCCESS);
      if (instanceId[0] == u'\0')
        RecordProperty("known_wine_deviation_device_id", "CM_Get_Device_ID_ExW succeeds with an empty id");
      else
        EXPECT_NE(std::u16string(instanceId).find(u'\\'), std::u16string::npos) << "an instance id has its parts";
    }
    EXPECT_GT(count, 0u) << "Wine lists this class's devices";
    EXPECT_TRUE(expectedId) << "a first hardware id begins with " << known.firstHardwareId;
  }
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

TEST(Win32Enumeration, TheEngineDescribesWinesDisplayAdapterAndHidDevices) {
  TWin32Machine machine;
  TDriverDatamodel model(machine.Ports());
  TDataManager engine(model, machine.Ports());
  std::vector<TDeviceProperties> records;
  for (uint32_t index = 0; index < 10000; ++index) {
    TDeviceProperties record;
    int result = engine.EnumAllDevices(index, record);
    if (result == -1) break;
    ASSERT_NE(result, -3);
    if (result == 0) records.push_back(record);
  }
  EXPECT_FALSE(records.empty());

  for (const TKnownClass& known : kKnownClasses) {
    SCOPED_TRACE(known.what);
    bool found = false;
    for (const TDeviceProperties& record : records) {
      if (record.FGUID != known.guid) continue;
      found = true;
      EXPECT_EQ(record.strClassGUID, std::string(known.name.begin(), known.name.end()));
      EXPECT_EQ(record.strClassDescription, ClassDescription(known));
      EXPECT_FALSE(record.strName.empty());
      ASSERT_FALSE(record.strHIDs.empty());
      EXPECT_EQ(record.strHIDs.front(), record.strHID);
      EXPECT_EQ(record.nStatusCode, 0u);
    }
    EXPECT_TRUE(found);
  }

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
