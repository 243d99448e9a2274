#include "platform/win32/device_install_win32.h"

#include <cstring>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"

// The port's constants and sizes are the SDK's.
static_assert(sizeof(SP_DEVINFO_DATA) == SP_DEVINFO_DATA_SIZE);
static_assert(sizeof(SP_DRVINFO_DATA_V2_W) == SP_DRVINFO_DATA_V2_SIZE);
static_assert(sizeof(SP_DRVINFO_DETAIL_DATA_W) == SP_DRVINFO_DETAIL_DATA_SIZE);
static_assert(sizeof(SP_DEVINSTALL_PARAMS_W) == SP_DEVINSTALL_PARAMS_SIZE);
static_assert(sizeof(SP_DEVINFO_LIST_DETAIL_DATA_W) == SP_DEVINFO_LIST_DETAIL_DATA_SIZE);
static_assert(sizeof(SP_CLASSIMAGELIST_DATA) == SP_CLASSIMAGELIST_DATA_SIZE);
static_assert(sizeof(GUID) == sizeof(TGuid));
static_assert(ERROR_INVALID_CLASS == 0xE0000206 && ERROR_NO_SUCH_DEVINST == 0xE000020B);
static_assert(CR_NO_SUCH_DEVINST == 0x0D && CR_NO_SUCH_VALUE == 0x25 && CR_INVALID_DATA == 0x1F);
static_assert(DI_FLAGSEX_INSTALLEDDRIVER == 0x04000000 && DI_FLAGSEX_ALLOWEXCLUDEDDRVS == 0x800);

namespace {

GUID ToGuid(const TGuid& guid) {
  GUID result;
  std::memcpy(&result, guid.data(), sizeof(result));
  return result;
}

TGuid FromGuid(const GUID& guid) {
  TGuid result;
  std::memcpy(result.data(), &guid, sizeof(guid));
  return result;
}

HDEVINFO ToSet(TDevInfoSet set) { return reinterpret_cast<HDEVINFO>(set); }
TDevInfoSet FromSet(HDEVINFO set) { return reinterpret_cast<TDevInfoSet>(set); }
HKEY ToKey(TRegKeyHandle key) { return reinterpret_cast<HKEY>(key); }

// The device record as SetupAPI takes it; the size field passes unchanged, so a
// wrong size fails the way Windows fails it.
SP_DEVINFO_DATA ToDevinfo(const TSpDevinfoData& device) {
  SP_DEVINFO_DATA result{};
  result.cbSize = device.cbSize;
  result.ClassGuid = ToGuid(device.ClassGuid);
  result.DevInst = device.DevInst;
  result.Reserved = device.Reserved;
  return result;
}

SP_DRVINFO_DATA_V2_W ToDrvinfo(const TSpDrvinfoData& driver) {
  SP_DRVINFO_DATA_V2_W result{};
  result.cbSize = driver.cbSize;
  result.DriverType = driver.DriverType;
  result.Reserved = driver.Reserved;
  wcsncpy(result.Description, Utf8ToWide(driver.Description).c_str(), LINE_LEN - 1);
  wcsncpy(result.MfgName, Utf8ToWide(driver.MfgName).c_str(), LINE_LEN - 1);
  wcsncpy(result.ProviderName, Utf8ToWide(driver.ProviderName).c_str(), LINE_LEN - 1);
  result.DriverDate.dwLowDateTime = static_cast<DWORD>(driver.DriverDate);
  result.DriverDate.dwHighDateTime = static_cast<DWORD>(driver.DriverDate >> 32);
  result.DriverVersion = driver.DriverVersion;
  return result;
}

std::string FixedText(const wchar_t* text, size_t capacity) { return WideToUtf8(text, wcsnlen(text, capacity)); }

// Keeps the last error of the forwarded call across the conversions that follow it.
class TLastErrorKeeper {
 public:
  TLastErrorKeeper() : m_error(GetLastError()) {}
  ~TLastErrorKeeper() { SetLastError(m_error); }
  TLastErrorKeeper(const TLastErrorKeeper&) = delete;
  TLastErrorKeeper& operator=(const TLastErrorKeeper&) = delete;

 private:
  DWORD m_error;
};

bool Missing() {
  SetLastError(ERROR_PROC_NOT_FOUND);
  return false;
}

}  // namespace

template <typename TFunction>
TFunction* TWin32DeviceInstall::Resolve(const TLibrary& library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
}

TWin32DeviceInstall::TWin32DeviceInstall()
    : m_setupApi(LoadSystemLibrary(L"setupapi.dll")), m_cfgMgr(LoadSystemLibrary(L"cfgmgr32.dll")) {
  m_getClassDevs = Resolve<decltype(SetupDiGetClassDevsW)>(m_setupApi, "SetupDiGetClassDevsW");
  m_getClassDevsEx = Resolve<decltype(SetupDiGetClassDevsExW)>(m_setupApi, "SetupDiGetClassDevsExW");
  m_destroyDeviceInfoList =
      Resolve<decltype(SetupDiDestroyDeviceInfoList)>(m_setupApi, "SetupDiDestroyDeviceInfoList");
  m_enumDeviceInfo = Resolve<decltype(SetupDiEnumDeviceInfo)>(m_setupApi, "SetupDiEnumDeviceInfo");
  m_getDeviceInfoListDetail =
      Resolve<decltype(SetupDiGetDeviceInfoListDetailW)>(m_setupApi, "SetupDiGetDeviceInfoListDetailW");
  m_getDeviceRegistryProperty = Resolve<decltype(SetupDiGetDeviceRegistryPropertyW)>(
      m_setupApi, "SetupDiGetDeviceRegistryPropertyW");
  m_classNameFromGuid = Resolve<decltype(SetupDiClassNameFromGuidW)>(m_setupApi, "SetupDiClassNameFromGuidW");
  m_getClassImageList = Resolve<decltype(SetupDiGetClassImageList)>(m_setupApi, "SetupDiGetClassImageList");
  m_destroyClassImageList =
      Resolve<decltype(SetupDiDestroyClassImageList)>(m_setupApi, "SetupDiDestroyClassImageList");
  m_getClassImageIndex = Resolve<decltype(SetupDiGetClassImageIndex)>(m_setupApi, "SetupDiGetClassImageIndex");
  m_loadClassIcon = Resolve<decltype(SetupDiLoadClassIcon)>(m_setupApi, "SetupDiLoadClassIcon");
  m_openClassRegKeyEx = Resolve<decltype(SetupDiOpenClassRegKeyExW)>(m_setupApi, "SetupDiOpenClassRegKeyExW");
  m_openDevRegKey = Resolve<decltype(SetupDiOpenDevRegKey)>(m_setupApi, "SetupDiOpenDevRegKey");
  m_getDeviceInstallParams =
      Resolve<decltype(SetupDiGetDeviceInstallParamsW)>(m_setupApi, "SetupDiGetDeviceInstallParamsW");
  m_setDeviceInstallParams =
      Resolve<decltype(SetupDiSetDeviceInstallParamsW)>(m_setupApi, "SetupDiSetDeviceInstallParamsW");
  m_buildDriverInfoList = Resolve<decltype(SetupDiBuildDriverInfoList)>(m_setupApi, "SetupDiBuildDriverInfoList");
  m_enumDriverInfo = Resolve<decltype(SetupDiEnumDriverInfoW)>(m_setupApi, "SetupDiEnumDriverInfoW");
  m_getDriverInfoDetail =
      Resolve<decltype(SetupDiGetDriverInfoDetailW)>(m_setupApi, "SetupDiGetDriverInfoDetailW");
  m_getDevNodeStatus = Resolve<decltype(CM_Get_DevNode_Status)>(m_cfgMgr, "CM_Get_DevNode_Status");
  m_enumerateClasses = Resolve<decltype(CM_Enumerate_Classes)>(m_cfgMgr, "CM_Enumerate_Classes");
  m_getDeviceIdEx = Resolve<decltype(CM_Get_Device_ID_ExW)>(m_cfgMgr, "CM_Get_Device_ID_ExW");
}

bool TWin32DeviceInstall::Available() {
  return m_getClassDevs && m_getClassDevsEx && m_destroyDeviceInfoList && m_enumDeviceInfo &&
         m_getDeviceInfoListDetail && m_getDeviceRegistryProperty && m_classNameFromGuid &&
         m_getClassImageList && m_destroyClassImageList && m_getClassImageIndex && m_loadClassIcon &&
         m_openClassRegKeyEx && m_openDevRegKey && m_getDeviceInstallParams &&
         m_setDeviceInstallParams && m_buildDriverInfoList && m_enumDriverInfo &&
         m_getDriverInfoDetail && m_getDevNodeStatus && m_enumerateClasses && m_getDeviceIdEx;
}

uint32_t TWin32DeviceInstall::LastError() { return GetLastError(); }

TDevInfoSet TWin32DeviceInstall::GetClassDevs(const TGuid* classGuid, uint32_t flags) {
  if (!m_getClassDevs) return Missing(), INVALID_DEVICE_HANDLE;
  GUID guid = classGuid ? ToGuid(*classGuid) : GUID{};
  return FromSet(m_getClassDevs(classGuid ? &guid : nullptr, nullptr, nullptr, flags));
}

TDevInfoSet TWin32DeviceInstall::GetClassDevsEx(const TGuid* classGuid, uint32_t flags) {
  if (!m_getClassDevsEx) return Missing(), INVALID_DEVICE_HANDLE;
  GUID guid = classGuid ? ToGuid(*classGuid) : GUID{};
  return FromSet(m_getClassDevsEx(classGuid ? &guid : nullptr, nullptr, nullptr, flags, nullptr,
                                  nullptr, nullptr));
}

bool TWin32DeviceInstall::DestroyDeviceInfoList(TDevInfoSet set) {
  if (!m_destroyDeviceInfoList) return Missing();
  return m_destroyDeviceInfoList(ToSet(set));
}

bool TWin32DeviceInstall::EnumDeviceInfo(TDevInfoSet set, uint32_t index, TSpDevinfoData* device) {
  if (!m_enumDeviceInfo) return Missing();
  SP_DEVINFO_DATA data{};
  data.cbSize = device ? device->cbSize : 0;
  bool ok = m_enumDeviceInfo(ToSet(set), index, device ? &data : nullptr);
  if (ok) {
    device->ClassGuid = FromGuid(data.ClassGuid);
    device->DevInst = data.DevInst;
    device->Reserved = data.Reserved;
  }
  return ok;
}

bool TWin32DeviceInstall::GetDeviceInfoListDetail(TDevInfoSet set, TSpDevinfoListDetailData* detail) {
  if (!m_getDeviceInfoListDetail) return Missing();
  SP_DEVINFO_LIST_DETAIL_DATA_W data{};
  data.cbSize = detail ? detail->cbSize : 0;
  bool ok = m_getDeviceInfoListDetail(ToSet(set), detail ? &data : nullptr);
  if (ok) {
    detail->ClassGuid = FromGuid(data.ClassGuid);
    detail->RemoteMachineHandle = reinterpret_cast<uintptr_t>(data.RemoteMachineHandle);
  }
  return ok;
}

bool TWin32DeviceInstall::GetDeviceRegistryProperty(TDevInfoSet set, const TSpDevinfoData& device,
                                                    uint32_t property, uint32_t* regDataType,
                                                    uint8_t* buffer, uint32_t bufferSize,
                                                    uint32_t* requiredSize) {
  if (!m_getDeviceRegistryProperty) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  DWORD type = 0, required = 0;
  bool ok = m_getDeviceRegistryProperty(ToSet(set), &data, property, &type, buffer, bufferSize, &required);
  if (regDataType) *regDataType = type;
  if (requiredSize) *requiredSize = required;
  return ok;
}

bool TWin32DeviceInstall::ClassNameFromGuid(const TGuid& classGuid, char16_t* className,
                                            uint32_t classNameSize, uint32_t* requiredSize) {
  if (!m_classNameFromGuid) return Missing();
  GUID guid = ToGuid(classGuid);
  DWORD required = 0;
  bool ok = m_classNameFromGuid(&guid, reinterpret_cast<PWSTR>(className), classNameSize, &required);
  if (requiredSize) *requiredSize = required;
  return ok;
}

bool TWin32DeviceInstall::GetClassImageList(TSpClassImageListData* imageListData) {
  if (!m_getClassImageList) return Missing();
  SP_CLASSIMAGELIST_DATA data{};
  data.cbSize = imageListData ? imageListData->cbSize : 0;
  bool ok = m_getClassImageList(imageListData ? &data : nullptr);
  if (ok) {
    imageListData->ImageList = reinterpret_cast<TImageListHandle>(data.ImageList);
    imageListData->Reserved = data.Reserved;
  }
  return ok;
}

namespace {

SP_CLASSIMAGELIST_DATA ToClassImageList(const TSpClassImageListData& imageListData) {
  SP_CLASSIMAGELIST_DATA data{};
  data.cbSize = imageListData.cbSize;
  data.ImageList = reinterpret_cast<HIMAGELIST>(imageListData.ImageList);
  data.Reserved = imageListData.Reserved;
  return data;
}

}  // namespace

bool TWin32DeviceInstall::DestroyClassImageList(const TSpClassImageListData& imageListData) {
  if (!m_destroyClassImageList) return Missing();
  SP_CLASSIMAGELIST_DATA data = ToClassImageList(imageListData);
  return m_destroyClassImageList(&data);
}

bool TWin32DeviceInstall::GetClassImageIndex(const TSpClassImageListData& imageListData,
                                             const TGuid& classGuid, int32_t* imageIndex) {
  if (!m_getClassImageIndex) return Missing();
  SP_CLASSIMAGELIST_DATA data = ToClassImageList(imageListData);
  GUID guid = ToGuid(classGuid);
  int index = imageIndex ? *imageIndex : 0;
  bool ok = m_getClassImageIndex(&data, &guid, &index);
  if (ok && imageIndex) *imageIndex = index;
  return ok;
}

bool TWin32DeviceInstall::LoadClassIcon(const TGuid& classGuid, TIconHandle* largeIcon,
                                        int32_t* miniIconIndex) {
  if (!m_loadClassIcon) return Missing();
  GUID guid = ToGuid(classGuid);
  HICON icon = nullptr;
  int miniIndex = 0;
  bool ok = m_loadClassIcon(&guid, largeIcon ? &icon : nullptr, miniIconIndex ? &miniIndex : nullptr);
  if (ok && largeIcon) *largeIcon = reinterpret_cast<TIconHandle>(icon);
  if (ok && miniIconIndex) *miniIconIndex = miniIndex;
  return ok;
}

TRegKeyHandle TWin32DeviceInstall::OpenClassRegKeyEx(const TGuid* classGuid, uint32_t samDesired,
                                                     uint32_t flags) {
  if (!m_openClassRegKeyEx) return Missing(), INVALID_DEVICE_HANDLE;
  GUID guid = classGuid ? ToGuid(*classGuid) : GUID{};
  HKEY key = m_openClassRegKeyEx(classGuid ? &guid : nullptr, samDesired, flags, nullptr, nullptr);
  return reinterpret_cast<TRegKeyHandle>(key);
}

TRegKeyHandle TWin32DeviceInstall::OpenDevRegKey(TDevInfoSet set, const TSpDevinfoData& device,
                                                 uint32_t scope, uint32_t hwProfile,
                                                 uint32_t keyType, uint32_t samDesired) {
  if (!m_openDevRegKey) return Missing(), INVALID_DEVICE_HANDLE;
  SP_DEVINFO_DATA data = ToDevinfo(device);
  HKEY key = m_openDevRegKey(ToSet(set), &data, scope, hwProfile, keyType, samDesired);
  return reinterpret_cast<TRegKeyHandle>(key);
}

uint32_t TWin32DeviceInstall::QueryKeyValue(TRegKeyHandle key, const std::string& valueName,
                                            uint32_t* type, uint8_t* data, uint32_t* dataSize) {
  std::wstring name = Utf8ToWide(valueName);
  DWORD valueType = 0;
  DWORD size = dataSize ? *dataSize : 0;
  LSTATUS status = RegQueryValueExW(ToKey(key), name.c_str(), nullptr, &valueType, data,
                                    dataSize ? &size : nullptr);
  if (type) *type = valueType;
  if (dataSize) *dataSize = size;
  return static_cast<uint32_t>(status);
}

uint32_t TWin32DeviceInstall::CloseKey(TRegKeyHandle key) {
  return static_cast<uint32_t>(RegCloseKey(ToKey(key)));
}

uint32_t TWin32DeviceInstall::GetDevNodeStatus(uint32_t* status, uint32_t* problemNumber,
                                               uint32_t devInst, uint32_t flags) {
  if (!m_getDevNodeStatus) return CR_FAILURE;
  ULONG nodeStatus = 0, problem = 0;
  CONFIGRET result = m_getDevNodeStatus(status ? &nodeStatus : nullptr,
                                        problemNumber ? &problem : nullptr, devInst, flags);
  if (result == CR_SUCCESS) {
    *status = nodeStatus;
    *problemNumber = problem;
  }
  return result;
}

uint32_t TWin32DeviceInstall::EnumerateClasses(uint32_t classIndex, TGuid* classGuid, uint32_t flags) {
  if (!m_enumerateClasses) return CR_FAILURE;
  GUID guid{};
  CONFIGRET result = m_enumerateClasses(classIndex, classGuid ? &guid : nullptr, flags);
  if (result == CR_SUCCESS) *classGuid = FromGuid(guid);
  return result;
}

uint32_t TWin32DeviceInstall::GetDeviceIdEx(uint32_t devInst, char16_t* buffer, uint32_t bufferLen,
                                            uint32_t flags, uintptr_t machine) {
  if (!m_getDeviceIdEx) return CR_FAILURE;
  return m_getDeviceIdEx(devInst, reinterpret_cast<PWCHAR>(buffer), bufferLen, flags,
                         reinterpret_cast<HMACHINE>(machine));
}

bool TWin32DeviceInstall::GetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                                 TSpDevinstallParams* params) {
  if (!m_getDeviceInstallParams) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  SP_DEVINSTALL_PARAMS_W installParams{};
  installParams.cbSize = params ? params->cbSize : 0;
  bool ok = m_getDeviceInstallParams(ToSet(set), &data, params ? &installParams : nullptr);
  if (!ok) return false;
  TLastErrorKeeper keeper;
  params->Flags = installParams.Flags;
  params->FlagsEx = installParams.FlagsEx;
  params->hwndParent = reinterpret_cast<uintptr_t>(installParams.hwndParent);
  params->InstallMsgHandler = reinterpret_cast<uintptr_t>(installParams.InstallMsgHandler);
  params->InstallMsgHandlerContext = reinterpret_cast<uintptr_t>(installParams.InstallMsgHandlerContext);
  params->FileQueue = reinterpret_cast<uintptr_t>(installParams.FileQueue);
  params->ClassInstallReserved = installParams.ClassInstallReserved;
  params->Reserved = installParams.Reserved;
  params->DriverPath = FixedText(installParams.DriverPath, MAX_PATH);
  return true;
}

bool TWin32DeviceInstall::SetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                                 const TSpDevinstallParams& params) {
  if (!m_setDeviceInstallParams) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  SP_DEVINSTALL_PARAMS_W installParams{};
  installParams.cbSize = params.cbSize;
  installParams.Flags = params.Flags;
  installParams.FlagsEx = params.FlagsEx;
  installParams.hwndParent = reinterpret_cast<HWND>(params.hwndParent);
  installParams.InstallMsgHandler = reinterpret_cast<PSP_FILE_CALLBACK_W>(params.InstallMsgHandler);
  installParams.InstallMsgHandlerContext = reinterpret_cast<PVOID>(params.InstallMsgHandlerContext);
  installParams.FileQueue = reinterpret_cast<HSPFILEQ>(params.FileQueue);
  installParams.ClassInstallReserved = params.ClassInstallReserved;
  installParams.Reserved = params.Reserved;
  wcsncpy(installParams.DriverPath, Utf8ToWide(params.DriverPath).c_str(), MAX_PATH - 1);
  return m_setDeviceInstallParams(ToSet(set), &data, &installParams);
}

bool TWin32DeviceInstall::BuildDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                                              uint32_t driverType) {
  if (!m_buildDriverInfoList) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  return m_buildDriverInfoList(ToSet(set), &data, driverType);
}

bool TWin32DeviceInstall::EnumDriverInfo(TDevInfoSet set, const TSpDevinfoData& device,
                                         uint32_t driverType, uint32_t memberIndex,
                                         TSpDrvinfoData* driver) {
  if (!m_enumDriverInfo) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  SP_DRVINFO_DATA_V2_W info{};
  info.cbSize = driver ? driver->cbSize : 0;
  bool ok = m_enumDriverInfo(ToSet(set), &data, driverType, memberIndex,
                             driver ? reinterpret_cast<SP_DRVINFO_DATA_W*>(&info) : nullptr);
  if (!ok) return false;
  TLastErrorKeeper keeper;
  driver->DriverType = info.DriverType;
  driver->Reserved = info.Reserved;
  driver->Description = FixedText(info.Description, LINE_LEN);
  driver->MfgName = FixedText(info.MfgName, LINE_LEN);
  driver->ProviderName = FixedText(info.ProviderName, LINE_LEN);
  driver->DriverDate = (uint64_t{info.DriverDate.dwHighDateTime} << 32) | info.DriverDate.dwLowDateTime;
  driver->DriverVersion = info.DriverVersion;
  return true;
}

bool TWin32DeviceInstall::GetDriverInfoDetail(TDevInfoSet set, const TSpDevinfoData& device,
                                              const TSpDrvinfoData& driver,
                                              TSpDrvinfoDetailData* detail, uint32_t detailSize,
                                              uint32_t* requiredSize) {
  if (!m_getDriverInfoDetail) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  SP_DRVINFO_DATA_V2_W info = ToDrvinfo(driver);
  // A buffer of the size the caller names, aligned for the structure.
  std::vector<SP_DRVINFO_DETAIL_DATA_W> buffer(detailSize / sizeof(SP_DRVINFO_DETAIL_DATA_W) + 1);
  auto* details = detail ? buffer.data() : nullptr;
  if (details) details->cbSize = detail->cbSize;
  DWORD required = 0;
  bool ok = m_getDriverInfoDetail(ToSet(set), &data, reinterpret_cast<SP_DRVINFO_DATA_W*>(&info),
                                  details, detail ? detailSize : 0, &required);
  TLastErrorKeeper keeper;
  if (requiredSize) *requiredSize = required;
  // The fixed part is filled also when only the trailing hardware ids do not fit.
  if (details && (ok || GetLastError() == ERROR_INSUFFICIENT_BUFFER)) {
    detail->InfDate = (uint64_t{details->InfDate.dwHighDateTime} << 32) | details->InfDate.dwLowDateTime;
    detail->SectionName = FixedText(details->SectionName, LINE_LEN);
    detail->InfFileName = FixedText(details->InfFileName, MAX_PATH);
    detail->DrvDescription = FixedText(details->DrvDescription, LINE_LEN);
  }
  return ok;
}
