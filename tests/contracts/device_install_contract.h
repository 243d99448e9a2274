// The device-installation port's contract, written once and run against each
// implementation: the simulated device tree natively, the SetupAPI and cfgmgr32
// forwarder under Wine. Every call starts from a sentinel last error; the checks
// name the result, the last error and the sizes Windows gives after it.
//
// A trait (the type parameter) owns one implementation and the machine it runs on:
//   IDeviceInstall& Port();
//   const TContractDevice& Device();  // the device and class the cases work on
//   std::string InfFolder();          // a folder the cases may write INF files into
//   bool UnderWine();                 // whether Wine's known deviations apply
//   static void SetUpTestSuite(); static void TearDownTestSuite();
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/device_install.h"
#include "platform/utf16le.h"

// The device every case works on, as the trait set it up.
struct TContractDevice {
  TGuid classGuid{};
  std::string className;                 // SetupDiClassNameFromGuid of classGuid
  std::vector<std::string> hardwareIds;  // SPDRP_HARDWAREID, in order
  std::string description;               // SPDRP_DEVICEDESC, also "DriverDesc" of its driver key
  uint32_t missingProperty = SPDRP_FRIENDLYNAME;  // a property the device does not have
};

namespace device_install_contract {

constexpr uint32_t kSentinel = 0xDEADBEEF;
// A GUID no class of any machine has.
constexpr TGuid kNoClass = {0x51, 0x56, 0x52, 0x51, 0x00, 0x00, 0x00, 0x00,
                            0xC0, 0x7E, 0xC7, 0x00, 0x00, 0x00, 0x00, 0x01};

// Wine opens a class's installer key as a plain registry key.
constexpr const char* kNoClassKey =
    "a class without an installer key fails with the registry's ERROR_FILE_NOT_FOUND; Windows fails with "
    "ERROR_INVALID_CLASS";

}  // namespace device_install_contract

template <typename TTraits>
class DeviceInstallContract : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TTraits::SetUpTestSuite(); }
  static void TearDownTestSuite() { TTraits::TearDownTestSuite(); }

  void SetUp() override { ASSERT_TRUE(port.Available()); }

  void Preset() { port.SetLastErrorCode(device_install_contract::kSentinel); }

  // Marks a known Wine deviation in the test's properties.
  void RecordDeviation(const std::string& what, const char* deviation) {
    std::string key = "known_wine_deviation_" + what;
    std::replace_if(key.begin(), key.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    this->RecordProperty(key, deviation);
  }

  // Windows' result, or Wine's where Wine is known to differ: the deviation is
  // recorded and the case checks Wine's exact result.
  uint32_t WindowsOr(uint32_t windows, std::optional<uint32_t> wine, const std::string& what,
                     const char* deviation) {
    if (!traits.UnderWine() || !wine || *wine == windows) return windows;
    RecordDeviation(what, deviation);
    return *wine;
  }

  // A successful call leaves no failure behind: the sentinel, or no error.
  ::testing::AssertionResult Succeeded(bool ok) {
    uint32_t error = port.LastError();
    if (!ok) return ::testing::AssertionFailure() << "failed with last error " << error;
    if (error != device_install_contract::kSentinel && error != ERROR_SUCCESS)
      return ::testing::AssertionFailure() << "succeeded with last error " << error;
    return ::testing::AssertionSuccess();
  }

  TDevInfoSet OpenClassSet() {
    Preset();
    TDevInfoSet set = port.GetClassDevs(&device.classGuid, DIGCF_PRESENT);
    EXPECT_NE(set, INVALID_DEVICE_HANDLE) << "last error " << port.LastError();
    return set;
  }

  static TSpDevinfoData Record() {
    TSpDevinfoData record;
    record.cbSize = SP_DEVINFO_DATA_SIZE;
    return record;
  }

  // The set's member whose hardware ids are the device's.
  bool FindDevice(TDevInfoSet set, TSpDevinfoData& record) {
    const std::vector<uint8_t> ids = RegMultiSzBytes(device.hardwareIds);
    for (uint32_t index = 0; port.EnumDeviceInfo(set, index, &record); ++index) {
      std::vector<uint8_t> value(ids.size() + 64);
      uint32_t type = 0, required = 0;
      if (port.GetDeviceRegistryProperty(set, record, SPDRP_HARDWAREID, &type, value.data(),
                                         static_cast<uint32_t>(value.size()), &required) &&
          required == ids.size() && std::equal(ids.begin(), ids.end(), value.begin()))
        return true;
    }
    return false;
  }

  // An INF in the trait's folder: a System-class driver package whose one model
  // names a device no machine has, its install section copying one file.
  std::string WriteInf() {
    const std::string path = traits.InfFolder() + "/contract.inf";
    std::ofstream(path, std::ios::binary) << "[Version]\r\n"
                                             "Signature=\"$Windows NT$\"\r\n"
                                             "Class=System\r\n"
                                             "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                                             "Provider=%Provider%\r\n"
                                             "DriverVer=03/04/2021,1.2.3.4\r\n"
                                             "\r\n[DestinationDirs]\r\n"
                                             "DefaultDestDir=12\r\n"
                                             "\r\n[Manufacturer]\r\n"
                                             "Contract=Models,NTamd64\r\n"
                                             "\r\n[Models.NTamd64]\r\n"
                                             "Contract Device=Contract_Install,ROOT\\QUORVANE_NO_SUCH_DEVICE\r\n"
                                             "\r\n[Contract_Install]\r\n"
                                             "CopyFiles=Contract_Files\r\n"
                                             "\r\n[Contract_Files]\r\n"
                                             "contract.sys\r\n"
                                             "\r\n[Strings]\r\n"
                                             "Provider=\"Contract Provider\"\r\n";
    return path;
  }

  TTraits traits;
  IDeviceInstall& port = traits.Port();
  const TContractDevice& device = traits.Device();
};

TYPED_TEST_SUITE_P(DeviceInstallContract);

// Every call on a device information set refuses a set that is not one.
TYPED_TEST_P(DeviceInstallContract, SetCallsRejectAnInvalidHandle) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  for (TDevInfoSet invalid : {INVALID_DEVICE_HANDLE, TDevInfoSet{0}}) {
    SCOPED_TRACE(invalid);
    struct TCase {
      const char* what;
      std::function<bool()> call;
      std::optional<uint32_t> wineError = std::nullopt;
    };
    constexpr const char* kNoDriverLists =
        "Wine's driver-list functions are not implemented and fail with 120 before looking at the set; "
        "Windows fails with ERROR_INVALID_HANDLE";
    TSpDevinfoListDetailData detail;
    detail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE;
    TSpDevinstallParams params;
    params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
    TSpDrvinfoData driver;
    driver.cbSize = SP_DRVINFO_DATA_V2_SIZE;
    uint8_t buffer[64];
    uint32_t type = 0, required = 0;
    const TCase cases[] = {
        {"SetupDiDestroyDeviceInfoList", [&] { return port.DestroyDeviceInfoList(invalid); }},
        {"SetupDiEnumDeviceInfo", [&] { return port.EnumDeviceInfo(invalid, 0, &record); }},
        {"SetupDiGetDeviceInfoListDetail", [&] { return port.GetDeviceInfoListDetail(invalid, &detail); }},
        {"SetupDiGetDeviceRegistryProperty",
         [&] {
           return port.GetDeviceRegistryProperty(invalid, record, SPDRP_HARDWAREID, &type, buffer, sizeof(buffer),
                                                 &required);
         }},
        {"SetupDiGetDeviceInstallParams", [&] { return port.GetDeviceInstallParams(invalid, record, &params); }},
        {"SetupDiSetDeviceInstallParams", [&] { return port.SetDeviceInstallParams(invalid, record, params); }},
        {"SetupDiEnumDriverInfo",
         [&] { return port.EnumDriverInfo(invalid, record, SPDIT_CLASSDRIVER, 0, &driver); },
         ERROR_CALL_NOT_IMPLEMENTED},
        {"SetupDiDestroyDriverInfoList",
         [&] { return port.DestroyDriverInfoList(invalid, record, SPDIT_CLASSDRIVER); },
         ERROR_CALL_NOT_IMPLEMENTED},
        {"SetupDiCallClassInstaller", [&] { return port.CallClassInstaller(DIF_REMOVE, invalid, &record); }},
        {"SetupDiOpenDevRegKey",
         [&] {
           return port.OpenDevRegKey(invalid, record, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ) !=
                  INVALID_DEVICE_HANDLE;
         }},
    };
    for (const TCase& entry : cases) {
      this->Preset();
      EXPECT_FALSE(entry.call()) << entry.what;
      EXPECT_EQ(port.LastError(), this->WindowsOr(ERROR_INVALID_HANDLE, entry.wineError, entry.what, kNoDriverLists))
          << entry.what;
    }
  }
}

// A structure whose cbSize is not the SDK's size is refused with 1784; a device
// record of the wrong size names no member of the set (87).
TYPED_TEST_P(DeviceInstallContract, WrongStructureSizesAreRefused) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));
  TSpDevinfoData wrongRecord = record;
  wrongRecord.cbSize = SP_DEVINFO_DATA_SIZE - 4;

  struct TCase {
    const char* what;
    std::function<bool()> call;
    uint32_t error;
    std::optional<uint32_t> wineError = std::nullopt;
    const char* deviation = nullptr;
  };
  uint8_t buffer[256];
  uint32_t type = 0, required = 0;
  const TCase cases[] = {
      {"SetupDiEnumDeviceInfo, small record",
       [&] {
         TSpDevinfoData small = wrongRecord;
         return port.EnumDeviceInfo(set.Get(), 0, &small);
       },
       ERROR_INVALID_USER_BUFFER},
      {"SetupDiEnumDeviceInfo, large record",
       [&] {
         TSpDevinfoData large = record;
         large.cbSize = SP_DEVINFO_DATA_SIZE + 4;
         return port.EnumDeviceInfo(set.Get(), 0, &large);
       },
       ERROR_INVALID_USER_BUFFER},
      {"SetupDiGetDeviceInfoListDetail",
       [&] {
         TSpDevinfoListDetailData detail;
         detail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE - 2;
         return port.GetDeviceInfoListDetail(set.Get(), &detail);
       },
       ERROR_INVALID_USER_BUFFER, ERROR_INVALID_PARAMETER,
       "SetupDiGetDeviceInfoListDetailW refuses a wrong cbSize with ERROR_INVALID_PARAMETER; Windows documents "
       "ERROR_INVALID_USER_BUFFER"},
      {"SetupDiGetDeviceInstallParams",
       [&] {
         TSpDevinstallParams params;
         params.cbSize = SP_DEVINSTALL_PARAMS_SIZE - 4;
         return port.GetDeviceInstallParams(set.Get(), record, &params);
       },
       ERROR_INVALID_USER_BUFFER},
      {"SetupDiSetDeviceInstallParams",
       [&] {
         TSpDevinstallParams params;
         params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
         if (!port.GetDeviceInstallParams(set.Get(), record, &params)) return true;
         params.cbSize = SP_DEVINSTALL_PARAMS_SIZE - 4;
         return port.SetDeviceInstallParams(set.Get(), record, params);
       },
       ERROR_INVALID_USER_BUFFER},
      {"SetupDiGetClassImageList",
       [&] {
         TSpClassImageListData images;
         images.cbSize = SP_CLASSIMAGELIST_DATA_SIZE - 4;
         return port.GetClassImageList(&images);
       },
       ERROR_INVALID_USER_BUFFER, device_install_contract::kSentinel,
       "SetupDiGetClassImageList is not implemented and fails without setting the last error; Windows refuses "
       "a wrong cbSize with ERROR_INVALID_USER_BUFFER"},
      {"SetupDiGetDeviceRegistryProperty, record of the wrong size",
       [&] {
         return port.GetDeviceRegistryProperty(set.Get(), wrongRecord, SPDRP_HARDWAREID, &type, buffer,
                                               sizeof(buffer), &required);
       },
       ERROR_INVALID_PARAMETER},
      {"SetupDiGetDeviceInstallParams, record of the wrong size",
       [&] {
         TSpDevinstallParams params;
         params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
         return port.GetDeviceInstallParams(set.Get(), wrongRecord, &params);
       },
       ERROR_INVALID_PARAMETER},
  };
  for (const TCase& entry : cases) {
    this->Preset();
    EXPECT_FALSE(entry.call()) << entry.what;
    EXPECT_EQ(port.LastError(), this->WindowsOr(entry.error, entry.wineError, entry.what, entry.deviation))
        << entry.what;
  }
}

// Members are numbered from zero; the first index past the last one, and any
// further, fail with 259. A class set lists only that class's devices, each once.
TYPED_TEST_P(DeviceInstallContract, EnumerationEndsWithNoMoreItems) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  ASSERT_TRUE(set.Valid());
  std::vector<uint32_t> nodes;
  TSpDevinfoData record = this->Record();
  for (;;) {
    this->Preset();
    record.DevInst = 0;
    if (!port.EnumDeviceInfo(set.Get(), static_cast<uint32_t>(nodes.size()), &record)) break;
    EXPECT_TRUE(this->Succeeded(true));
    EXPECT_EQ(record.cbSize, SP_DEVINFO_DATA_SIZE);
    EXPECT_EQ(record.ClassGuid, this->device.classGuid);
    EXPECT_NE(record.DevInst, 0u);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), record.DevInst), 0) << "a device listed twice";
    nodes.push_back(record.DevInst);
  }
  EXPECT_EQ(port.LastError(), ERROR_NO_MORE_ITEMS);
  ASSERT_FALSE(nodes.empty());

  for (uint32_t index : {static_cast<uint32_t>(nodes.size()), static_cast<uint32_t>(nodes.size()) + 1000u}) {
    this->Preset();
    EXPECT_FALSE(port.EnumDeviceInfo(set.Get(), index, &record)) << index;
    EXPECT_EQ(port.LastError(), ERROR_NO_MORE_ITEMS) << index;
  }
}

// A set made for one class carries that class; a set of all classes carries none.
TYPED_TEST_P(DeviceInstallContract, ListDetailNamesTheSetsClass) {
  IDeviceInstall& port = this->port;
  struct TCase {
    const char* what;
    const TGuid* classGuid;
    uint32_t flags;
    TGuid expected;
  };
  for (const TCase& entry : {TCase{"one class", &this->device.classGuid, DIGCF_PRESENT, this->device.classGuid},
                             TCase{"all classes", nullptr, DIGCF_ALLCLASSES, TGuid{}}}) {
    this->Preset();
    TScopedDevInfoSet set(port, port.GetClassDevs(entry.classGuid, entry.flags));
    ASSERT_TRUE(set.Valid()) << entry.what;
    TSpDevinfoListDetailData detail;
    detail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE;
    detail.ClassGuid.fill(0xAA);
    detail.RemoteMachineHandle = 1;
    this->Preset();
    EXPECT_TRUE(this->Succeeded(port.GetDeviceInfoListDetail(set.Get(), &detail))) << entry.what;
    EXPECT_EQ(detail.ClassGuid, entry.expected) << entry.what;
    EXPECT_EQ(detail.RemoteMachineHandle, 0u) << entry.what << ": the local machine";
  }

  // Without a class, a set needs DIGCF_ALLCLASSES.
  this->Preset();
  EXPECT_EQ(port.GetClassDevs(nullptr, DIGCF_PRESENT), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(port.LastError(), ERROR_INVALID_PARAMETER);
}

// A property reads in UTF-16LE with its terminators (REG_MULTI_SZ: one after each
// string and one after the list). A buffer too small, or none, fails with 122 and
// gives the type and the exact size; a buffer of that size succeeds.
TYPED_TEST_P(DeviceInstallContract, PropertiesReportTheirSizeAndType) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  struct TCase {
    const char* what;
    uint32_t property;
    uint32_t type;
    std::vector<uint8_t> value;
  };
  for (const TCase& entry :
       {TCase{"hardware ids", SPDRP_HARDWAREID, REG_MULTI_SZ, RegMultiSzBytes(this->device.hardwareIds)},
        TCase{"description", SPDRP_DEVICEDESC, REG_SZ, RegSzBytes(this->device.description)}}) {
    SCOPED_TRACE(entry.what);
    const auto size = static_cast<uint32_t>(entry.value.size());
    std::vector<uint8_t> buffer(size + 16, 0xCC);
    uint32_t type = 0, required = 0;

    this->Preset();
    EXPECT_FALSE(port.GetDeviceRegistryProperty(set.Get(), record, entry.property, &type, nullptr, 0, &required));
    EXPECT_EQ(port.LastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(required, size);
    EXPECT_EQ(type, entry.type);

    for (uint32_t shortSize : {uint32_t{2}, size - 2, size - 1}) {
      type = required = 0;
      this->Preset();
      EXPECT_FALSE(
          port.GetDeviceRegistryProperty(set.Get(), record, entry.property, &type, buffer.data(), shortSize, &required))
          << shortSize;
      EXPECT_EQ(port.LastError(), ERROR_INSUFFICIENT_BUFFER) << shortSize;
      EXPECT_EQ(required, size) << shortSize;
      EXPECT_EQ(type, entry.type) << shortSize;
    }

    type = required = 0;
    this->Preset();
    EXPECT_TRUE(this->Succeeded(
        port.GetDeviceRegistryProperty(set.Get(), record, entry.property, &type, buffer.data(), size, &required)));
    EXPECT_EQ(required, size);
    EXPECT_EQ(type, entry.type);
    EXPECT_TRUE(std::equal(entry.value.begin(), entry.value.end(), buffer.begin()));
    EXPECT_EQ(buffer[size], 0xCC) << "nothing written past the value";
  }
}

// A property the device does not have fails with 13, whatever the buffer; a
// property number SetupAPI does not know fails with ERROR_INVALID_REG_PROPERTY.
TYPED_TEST_P(DeviceInstallContract, MissingPropertiesAreInvalidData) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  uint8_t buffer[512];
  uint32_t type = 0, required = 0;
  for (uint32_t bufferSize : {uint32_t{0}, uint32_t{sizeof(buffer)}}) {
    this->Preset();
    EXPECT_FALSE(port.GetDeviceRegistryProperty(set.Get(), record, this->device.missingProperty, &type,
                                                bufferSize ? buffer : nullptr, bufferSize, &required))
        << bufferSize;
    EXPECT_EQ(port.LastError(), ERROR_INVALID_DATA) << bufferSize;
  }

  constexpr uint32_t kUnknownProperty = 0x1000;
  this->Preset();
  EXPECT_FALSE(port.GetDeviceRegistryProperty(set.Get(), record, kUnknownProperty, &type, buffer, sizeof(buffer),
                                              &required));
  EXPECT_EQ(port.LastError(),
            this->WindowsOr(ERROR_INVALID_REG_PROPERTY, device_install_contract::kSentinel, "unknown_property",
                            "SetupDiGetDeviceRegistryPropertyW fails on an unknown property without setting the "
                            "last error; Windows sets ERROR_INVALID_REG_PROPERTY"));
}

// Class names count characters with the terminator; a class GUID that names no
// class is ERROR_INVALID_CLASS. Class GUIDs by name count GUIDs.
TYPED_TEST_P(DeviceInstallContract, ClassNamesAndGuidsFitTheirBuffers) {
  IDeviceInstall& port = this->port;
  const std::u16string name = Utf8ToUtf16(this->device.className);
  const auto chars = static_cast<uint32_t>(name.size() + 1);
  std::u16string buffer(MAX_CLASS_NAME_LEN, u'#');
  uint32_t required = 0;

  // Wine answers a size-only request by succeeding, and a buffer too small by
  // failing without a last error.
  required = 0;
  this->Preset();
  const bool sized = port.ClassNameFromGuid(this->device.classGuid, nullptr, 0, &required);
  if (this->traits.UnderWine()) {
    EXPECT_TRUE(sized);
    this->RecordDeviation("class_name_size",
                         "SetupDiClassNameFromGuidW with no buffer succeeds and gives the size; Windows fails with "
                         "ERROR_INSUFFICIENT_BUFFER and gives the size");
  } else {
    EXPECT_FALSE(sized);
    EXPECT_EQ(port.LastError(), ERROR_INSUFFICIENT_BUFFER);
  }
  EXPECT_EQ(required, chars);
  required = 0;
  this->Preset();
  EXPECT_FALSE(port.ClassNameFromGuid(this->device.classGuid, buffer.data(), chars - 1, &required));
  EXPECT_EQ(port.LastError(), this->WindowsOr(ERROR_INSUFFICIENT_BUFFER, device_install_contract::kSentinel,
                                              "class_name_short_buffer",
                                              "SetupDiClassNameFromGuidW fails on a buffer too small without "
                                              "setting the last error; Windows sets ERROR_INSUFFICIENT_BUFFER"));
  EXPECT_EQ(required, chars);
  required = 0;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.ClassNameFromGuid(this->device.classGuid, buffer.data(), chars, &required)));
  EXPECT_EQ(required, chars);
  EXPECT_EQ(buffer.substr(0, chars), name + u'\0');

  this->Preset();
  EXPECT_FALSE(port.ClassNameFromGuid(device_install_contract::kNoClass, buffer.data(), MAX_CLASS_NAME_LEN, &required));
  EXPECT_EQ(port.LastError(), this->WindowsOr(ERROR_INVALID_CLASS, ERROR_FILE_NOT_FOUND, "class_name_no_class",
                                              device_install_contract::kNoClassKey));

  // By name: the count of GUIDs; a list too short gets 122 and the count.
  TGuid guids[4] = {};
  this->Preset();
  EXPECT_FALSE(port.ClassGuidsFromNameEx(this->device.className, nullptr, 0, &required));
  EXPECT_EQ(port.LastError(), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_GE(required, 1u);
  const uint32_t count = required;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.ClassGuidsFromNameEx(this->device.className, guids, count, &required)));
  EXPECT_EQ(required, count);
  EXPECT_NE(std::find(guids, guids + count, this->device.classGuid), guids + count);

  required = 99;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.ClassGuidsFromNameEx("QuorvaneNoSuchClass", guids, 4, &required)));
  EXPECT_EQ(required, 0u);
}

// CONFIGRET results of the configuration-manager calls.
TYPED_TEST_P(DeviceInstallContract, ConfigurationManagerResults) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  uint32_t status = device_install_contract::kSentinel, problem = 99;
  EXPECT_EQ(port.GetDevNodeStatus(&status, &problem, record.DevInst, 0), CR_SUCCESS);
  EXPECT_NE(status, device_install_contract::kSentinel);
  EXPECT_EQ(problem, 0u);

  // Wine's configuration manager does not check its arguments: the node status
  // and the device id succeed whatever they are given, the class list is empty.
  constexpr const char* kStatusStub =
      "CM_Get_DevNode_Status succeeds whatever its arguments; Windows refuses null pointers, flags and node 0";
  constexpr const char* kClassesStub =
      "CM_Enumerate_Classes answers CR_NO_SUCH_VALUE whatever its arguments; Windows refuses a null GUID and "
      "unknown flags";
  constexpr const char* kDeviceIdStub =
      "CM_Get_Device_ID_ExW succeeds whatever its arguments; Windows refuses a null buffer and node 0";
  TGuid classGuid{};
  char16_t text[MAX_DEVICE_ID_LEN + 1] = {};
  struct TCase {
    const char* what;
    std::function<uint32_t()> call;
    uint32_t result;
    std::optional<uint32_t> wineResult;
    const char* deviation;
  };
  const TCase cases[] = {
      {"status without a status", [&] { return port.GetDevNodeStatus(nullptr, &problem, record.DevInst, 0); },
       CR_INVALID_POINTER, CR_SUCCESS, kStatusStub},
      {"status without a problem", [&] { return port.GetDevNodeStatus(&status, nullptr, record.DevInst, 0); },
       CR_INVALID_POINTER, CR_SUCCESS, kStatusStub},
      {"status with flags", [&] { return port.GetDevNodeStatus(&status, &problem, record.DevInst, 1); },
       CR_INVALID_FLAG, CR_SUCCESS, kStatusStub},
      {"status of node 0", [&] { return port.GetDevNodeStatus(&status, &problem, 0, 0); }, CR_INVALID_DEVNODE,
       CR_SUCCESS, kStatusStub},
      {"classes without a GUID", [&] { return port.EnumerateClasses(0, nullptr, 0); }, CR_INVALID_POINTER,
       CR_NO_SUCH_VALUE, kClassesStub},
      {"classes with flags", [&] { return port.EnumerateClasses(0, &classGuid, 0x100); }, CR_INVALID_FLAG,
       CR_NO_SUCH_VALUE, kClassesStub},
      {"classes past the end", [&] { return port.EnumerateClasses(100000, &classGuid, 0); }, CR_NO_SUCH_VALUE,
       std::nullopt, nullptr},
      {"device id without a buffer",
       [&] { return port.GetDeviceIdEx(record.DevInst, nullptr, MAX_DEVICE_ID_LEN, 0, 0); },
       CR_INVALID_POINTER, CR_SUCCESS, kDeviceIdStub},
      {"device id of node 0", [&] { return port.GetDeviceIdEx(0, text, MAX_DEVICE_ID_LEN, 0, 0); },
       CR_INVALID_DEVNODE, CR_SUCCESS, kDeviceIdStub},
  };
  for (const TCase& entry : cases)
    EXPECT_EQ(entry.call(), this->WindowsOr(entry.result, entry.wineResult, entry.what, entry.deviation))
        << entry.what;

  // The instance id: a buffer one character short is CR_BUFFER_SMALL; one that
  // holds the id without its terminator succeeds unterminated.
  std::u16string id(MAX_DEVICE_ID_LEN + 1, u'\0');
  ASSERT_EQ(port.GetDeviceIdEx(record.DevInst, id.data(), MAX_DEVICE_ID_LEN, 0, 0), CR_SUCCESS);
  id.resize(id.find(u'\0'));
  if (id.empty() && this->traits.UnderWine()) {
    this->RecordDeviation("device_id",
                         "CM_Get_Device_ID_ExW succeeds with an empty id; Windows gives the instance id");
    return;
  }
  ASSERT_FALSE(id.empty());
  EXPECT_NE(id.find(u'\\'), std::u16string::npos) << "an instance id has its parts";
  const auto length = static_cast<uint32_t>(id.size());
  std::u16string exact(length + 1, u'#');
  EXPECT_EQ(port.GetDeviceIdEx(record.DevInst, exact.data(), length - 1, 0, 0), CR_BUFFER_SMALL);
  EXPECT_EQ(port.GetDeviceIdEx(record.DevInst, exact.data(), length, 0, 0), CR_SUCCESS);
  EXPECT_EQ(exact, id + u'#');
}

// Install parameters round-trip: what is set is read back.
TYPED_TEST_P(DeviceInstallContract, InstallParamsRoundTrip) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  TSpDevinstallParams params;
  params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  this->Preset();
  ASSERT_TRUE(this->Succeeded(port.GetDeviceInstallParams(set.Get(), record, &params)));
  EXPECT_EQ(params.FlagsEx & DI_FLAGSEX_INSTALLEDDRIVER, 0u);
  params.FlagsEx |= DI_FLAGSEX_INSTALLEDDRIVER;
  this->Preset();
  ASSERT_TRUE(this->Succeeded(port.SetDeviceInstallParams(set.Get(), record, params)));
  TSpDevinstallParams again;
  again.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  this->Preset();
  ASSERT_TRUE(this->Succeeded(port.GetDeviceInstallParams(set.Get(), record, &again)));
  EXPECT_EQ(again.FlagsEx & DI_FLAGSEX_INSTALLEDDRIVER, DI_FLAGSEX_INSTALLEDDRIVER);
  EXPECT_EQ(again.Flags, params.Flags);

  // No driver list built yet: nothing to enumerate.
  TSpDrvinfoData driver;
  driver.cbSize = SP_DRVINFO_DATA_V2_SIZE;
  this->Preset();
  EXPECT_FALSE(port.EnumDriverInfo(set.Get(), record, SPDIT_CLASSDRIVER, 0, &driver));
  EXPECT_EQ(port.LastError(), this->WindowsOr(ERROR_NO_MORE_ITEMS, ERROR_CALL_NOT_IMPLEMENTED, "driver_list",
                                              "SetupDiEnumDriverInfoW is not implemented (120); Windows reports "
                                              "an empty list with ERROR_NO_MORE_ITEMS"));
}

// The driver key and the class's installer key read as registry keys do:
// ERROR_MORE_DATA with the size when the data does not fit, the size alone for no
// buffer, ERROR_FILE_NOT_FOUND for a value the key lacks.
TYPED_TEST_P(DeviceInstallContract, KeysFollowTheRegistryContract) {
  IDeviceInstall& port = this->port;
  TScopedDevInfoSet set(port, this->OpenClassSet());
  TSpDevinfoData record = this->Record();
  ASSERT_TRUE(this->FindDevice(set.Get(), record));

  this->Preset();
  EXPECT_EQ(port.OpenDevRegKey(set.Get(), record, 0x10, 0, DIREG_DRV, KEY_READ), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(port.LastError(), ERROR_INVALID_FLAGS);
  this->Preset();
  EXPECT_EQ(port.OpenDevRegKey(set.Get(), record, DICS_FLAG_GLOBAL, 0, 0x10, KEY_READ), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(port.LastError(), ERROR_INVALID_FLAGS);

  struct TCase {
    const char* what;
    TRegKeyHandle key;
    const char* valueName;
    std::string text;
  };
  this->Preset();
  TScopedDeviceKey driverKey(port, port.OpenDevRegKey(set.Get(), record, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
  ASSERT_TRUE(driverKey.Valid()) << port.LastError();
  this->Preset();
  TScopedDeviceKey classKey(port, port.OpenClassRegKeyEx(&this->device.classGuid, KEY_READ, DIOCR_INSTALLER));
  ASSERT_TRUE(classKey.Valid()) << port.LastError();
  for (const TCase& entry : {TCase{"driver key", driverKey.Get(), "DriverDesc", this->device.description},
                             TCase{"installer key", classKey.Get(), "Class", this->device.className}}) {
    SCOPED_TRACE(entry.what);
    const std::vector<uint8_t> value = RegSzBytes(entry.text);
    const auto size = static_cast<uint32_t>(value.size());
    uint32_t type = 0, dataSize = 0;
    EXPECT_EQ(port.QueryKeyValue(entry.key, entry.valueName, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(dataSize, size);
    EXPECT_EQ(type, REG_SZ);
    std::vector<uint8_t> data(size + 8, 0xCC);
    dataSize = size - 1;
    EXPECT_EQ(port.QueryKeyValue(entry.key, entry.valueName, &type, data.data(), &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, size);
    dataSize = size;
    EXPECT_EQ(port.QueryKeyValue(entry.key, entry.valueName, &type, data.data(), &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(dataSize, size);
    EXPECT_TRUE(std::equal(value.begin(), value.end(), data.begin()));
    EXPECT_EQ(port.QueryKeyValue(entry.key, "QuorvaneNoSuchValue", &type, data.data(), &dataSize),
              ERROR_FILE_NOT_FOUND);
  }

  this->Preset();
  EXPECT_EQ(port.OpenClassRegKeyEx(&device_install_contract::kNoClass, KEY_READ, DIOCR_INSTALLER),
            INVALID_DEVICE_HANDLE);
  EXPECT_EQ(port.LastError(), this->WindowsOr(ERROR_INVALID_CLASS, ERROR_FILE_NOT_FOUND, "class_key_no_class",
                                              device_install_contract::kNoClassKey));
}

// Class images: a list, an index for the device's class, the list destroyed.
TYPED_TEST_P(DeviceInstallContract, ClassImageListsAreMadeAndDestroyed) {
  IDeviceInstall& port = this->port;
  TSpClassImageListData images;
  images.cbSize = SP_CLASSIMAGELIST_DATA_SIZE;
  this->Preset();
  const bool made = port.GetClassImageList(&images);
  if (this->traits.UnderWine()) {
    EXPECT_FALSE(made);
    this->RecordDeviation("class_image_list",
                         "SetupDiGetClassImageList is not implemented and fails without setting the last error; "
                         "Windows makes the list of the classes' small icons");
    EXPECT_EQ(port.LastError(), device_install_contract::kSentinel);
    return;
  }
  ASSERT_TRUE(this->Succeeded(made));
  EXPECT_NE(images.ImageList, 0u);
  int32_t index = -1;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.GetClassImageIndex(images, this->device.classGuid, &index)));
  EXPECT_GE(index, 0);
  TSpClassImageListData wrong = images;
  wrong.cbSize = SP_CLASSIMAGELIST_DATA_SIZE + 4;
  index = -7;
  this->Preset();
  EXPECT_FALSE(port.GetClassImageIndex(wrong, this->device.classGuid, &index));
  EXPECT_EQ(port.LastError(), ERROR_INVALID_USER_BUFFER);
  EXPECT_EQ(index, -7) << "a failure leaves the index as it was";
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.DestroyClassImageList(images)));
}

// INF reads: the field of a line, ERROR_LINE_NOT_FOUND for a key the section
// lacks, ERROR_INVALID_PARAMETER for a field past the line's end,
// ERROR_FILE_NOT_FOUND for no file. A file queue lists the copies of a section.
TYPED_TEST_P(DeviceInstallContract, InfReadsAndQueues) {
  IDeviceInstall& port = this->port;
  const std::string folder = this->traits.InfFolder();
  const std::string infPath = this->WriteInf();
  struct TRead {
    const char* what;
    std::string path;
    const char* section;
    const char* key;
    uint32_t field;
    bool ok;
    uint32_t error;
    std::string value;
    std::optional<uint32_t> wineError = std::nullopt;
  };
  constexpr const char* kFieldPastTheEnd =
      "SetupGetStringFieldW clears the last error for a field past the line's end; Windows sets "
      "ERROR_INVALID_PARAMETER";
  for (const TRead& entry : {
           TRead{"provider", infPath, "Version", "Provider", 1, true, 0, "Contract Provider"},
           TRead{"version", infPath, "Version", "DriverVer", 2, true, 0, "1.2.3.4"},
           TRead{"key", infPath, "Version", "DriverVer", 0, true, 0, "DriverVer"},
           TRead{"no such key", infPath, "Version", "CatalogFile", 1, false, ERROR_LINE_NOT_FOUND, ""},
           TRead{"no such section", infPath, "Missing", "Provider", 1, false, ERROR_LINE_NOT_FOUND, ""},
           TRead{"field past the end", infPath, "Version", "DriverVer", 3, false, ERROR_INVALID_PARAMETER, "",
                 ERROR_SUCCESS},
           TRead{"no such file", folder + "/missing.inf", "Version", "Provider", 1, false, ERROR_FILE_NOT_FOUND, ""},
       }) {
    std::string value = "unchanged";
    this->Preset();
    bool ok = port.ReadInfField(entry.path, INF_STYLE_WIN4, entry.section, entry.key, entry.field, &value);
    if (entry.ok) {
      EXPECT_TRUE(this->Succeeded(ok)) << entry.what;
      EXPECT_EQ(value, entry.value) << entry.what;
    } else {
      EXPECT_FALSE(ok) << entry.what;
      EXPECT_EQ(port.LastError(), this->WindowsOr(entry.error, entry.wineError, entry.what, kFieldPastTheEnd))
          << entry.what;
      EXPECT_EQ(value, "unchanged") << entry.what;
    }
  }

  this->Preset();
  TScopedFileQueue queue(port, port.OpenFileQueue());
  ASSERT_TRUE(queue.Valid()) << port.LastError();
  std::vector<std::string> targets;
  auto collect = [&](const std::string& target) {
    targets.push_back(target);
    return true;
  };
  uint32_t result = 99;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK, collect, &result)));
  EXPECT_EQ(result, 0u);
  EXPECT_TRUE(targets.empty()) << "a new queue is empty";

  this->Preset();
  ASSERT_TRUE(port.QueueInfSectionFiles(infPath, "Contract_Install", queue.Get())) << port.LastError();
  if (port.LastError() != device_install_contract::kSentinel) {
    EXPECT_EQ(port.LastError(),
              this->WindowsOr(ERROR_SUCCESS, ERROR_LINE_NOT_FOUND, "queue_success",
                              "SetupInstallFilesFromInfSectionW succeeds leaving ERROR_LINE_NOT_FOUND of a "
                              "lookup behind; Windows leaves no error"));
  }
  result = 99;
  this->Preset();
  EXPECT_TRUE(this->Succeeded(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK, collect, &result)));
  EXPECT_EQ(result, 0u);
  ASSERT_EQ(targets.size(), 1u);
  const std::string& target = targets.front();
  EXPECT_TRUE(target.ends_with("\\contract.sys") || target.ends_with("/contract.sys")) << target;

  // A callback that stops the scan fails it (the documentation names no last
  // error for that, and Wine sets none).
  EXPECT_FALSE(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK, [](const std::string&) { return false; },
                                  &result));
}

// The Plug and Play installer says why it installed nothing.
TYPED_TEST_P(DeviceInstallContract, UpdateDriverReportsWhyNothingWasInstalled) {
  IDeviceInstall& port = this->port;
  const std::string folder = this->traits.InfFolder();
  const std::string infPath = this->WriteInf();
  struct TCase {
    const char* what;
    std::string hardwareId;
    std::string path;
    uint32_t flags;
    uint32_t error;
  };
  const TCase cases[] = {
      {"flags", "ROOT\\QUORVANE_NO_SUCH_DEVICE", infPath, 0x100, ERROR_INVALID_FLAGS},
      {"no INF", "ROOT\\QUORVANE_NO_SUCH_DEVICE", folder + "/missing.inf", 0, ERROR_FILE_NOT_FOUND},
      {"no device", "ROOT\\QUORVANE_NO_SUCH_DEVICE", infPath, 0, ERROR_NO_SUCH_DEVINST},
  };
  for (const TCase& entry : cases) {
    bool reboot = true;
    this->Preset();
    const bool ok = port.UpdateDriverForPlugAndPlayDevices(entry.hardwareId, entry.path, entry.flags, &reboot);
    if (this->traits.UnderWine()) {
      EXPECT_TRUE(ok) << entry.what;
      this->RecordDeviation(std::string("update driver, ") + entry.what,
                           "UpdateDriverForPlugAndPlayDevicesW succeeds when it installs nothing; Windows fails "
                           "and says why");
      continue;
    }
    EXPECT_FALSE(ok) << entry.what;
    EXPECT_EQ(port.LastError(), entry.error) << entry.what;
  }
}

REGISTER_TYPED_TEST_SUITE_P(DeviceInstallContract, SetCallsRejectAnInvalidHandle, WrongStructureSizesAreRefused,
                            EnumerationEndsWithNoMoreItems, ListDetailNamesTheSetsClass,
                            PropertiesReportTheirSizeAndType, MissingPropertiesAreInvalidData,
                            ClassNamesAndGuidsFitTheirBuffers, ConfigurationManagerResults, InstallParamsRoundTrip,
                            KeysFollowTheRegistryContract, ClassImageListsAreMadeAndDestroyed, InfReadsAndQueues,
                            UpdateDriverReportsWhyNothingWasInstalled);
