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
static_assert(CR_INVALID_FLAG == 0x04 && DIREG_DEV == 1 && DICS_FLAG_CONFIGSPECIFIC == 2);
static_assert(DI_FLAGSEX_INSTALLEDDRIVER == 0x04000000 && DI_FLAGSEX_ALLOWEXCLUDEDDRVS == 0x800);
static_assert(DIF_INSTALLDEVICEFILES == 0x15 && DIF_REMOVE == 5 && DI_NOVCP == 8);
static_assert(DI_NEEDRESTART == 0x80 && DI_NEEDREBOOT == 0x100 && SPQ_SCAN_USE_CALLBACK == 4);
static_assert(SPFILENOTIFY_QUEUESCAN == 0x0F && INF_STYLE_WIN4 == 2 && ERROR_DLL_INIT_FAILED == 1114);
static_assert(ERROR_LINE_NOT_FOUND == 0xE0000102 && ERROR_SECTION_NOT_FOUND == 0xE0000101);

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
  m_classGuidsFromNameEx =
      Resolve<decltype(SetupDiClassGuidsFromNameExW)>(m_setupApi, "SetupDiClassGuidsFromNameExW");
  m_setSelectedDriver = Resolve<decltype(SetupDiSetSelectedDriverW)>(m_setupApi, "SetupDiSetSelectedDriverW");
  m_destroyDriverInfoList =
      Resolve<decltype(SetupDiDestroyDriverInfoList)>(m_setupApi, "SetupDiDestroyDriverInfoList");
  m_openFileQueue = Resolve<decltype(SetupOpenFileQueue)>(m_setupApi, "SetupOpenFileQueue");
  m_closeFileQueue = Resolve<decltype(SetupCloseFileQueue)>(m_setupApi, "SetupCloseFileQueue");
  m_callClassInstaller = Resolve<decltype(SetupDiCallClassInstaller)>(m_setupApi, "SetupDiCallClassInstaller");
  m_scanFileQueue = Resolve<decltype(SetupScanFileQueueW)>(m_setupApi, "SetupScanFileQueueW");
  m_openInfFile = Resolve<decltype(SetupOpenInfFileW)>(m_setupApi, "SetupOpenInfFileW");
  m_closeInfFile = Resolve<decltype(SetupCloseInfFile)>(m_setupApi, "SetupCloseInfFile");
  m_findFirstLine = Resolve<decltype(SetupFindFirstLineW)>(m_setupApi, "SetupFindFirstLineW");
  m_getStringField = Resolve<decltype(SetupGetStringFieldW)>(m_setupApi, "SetupGetStringFieldW");
  m_installFilesFromInfSection =
      Resolve<decltype(SetupInstallFilesFromInfSectionW)>(m_setupApi, "SetupInstallFilesFromInfSectionW");
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

void TWin32DeviceInstall::SetLastErrorCode(uint32_t code) { SetLastError(code); }

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
  if (result == CR_SUCCESS && status) *status = nodeStatus;
  if (result == CR_SUCCESS && problemNumber) *problemNumber = problem;
  return result;
}

uint32_t TWin32DeviceInstall::EnumerateClasses(uint32_t classIndex, TGuid* classGuid, uint32_t flags) {
  if (!m_enumerateClasses) return CR_FAILURE;
  GUID guid{};
  CONFIGRET result = m_enumerateClasses(classIndex, classGuid ? &guid : nullptr, flags);
  if (result == CR_SUCCESS && classGuid) *classGuid = FromGuid(guid);
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

bool TWin32DeviceInstall::ClassGuidsFromNameEx(const std::string& className, TGuid* classGuidList,
                                               uint32_t classGuidListSize, uint32_t* requiredSize) {
  if (!m_classGuidsFromNameEx) return Missing();
  std::wstring name = Utf8ToWide(className);
  std::vector<GUID> guids(classGuidListSize);
  DWORD required = 0;
  bool ok = m_classGuidsFromNameEx(name.c_str(), guids.empty() ? nullptr : guids.data(), classGuidListSize,
                                   &required, nullptr, nullptr);
  TLastErrorKeeper keeper;
  if (requiredSize) *requiredSize = required;
  if (classGuidList) {
    for (uint32_t i = 0; i < classGuidListSize && i < required; ++i) classGuidList[i] = FromGuid(guids[i]);
  }
  return ok;
}

bool TWin32DeviceInstall::SetSelectedDriver(TDevInfoSet set, const TSpDevinfoData& device,
                                            const TSpDrvinfoData& driver) {
  if (!m_setSelectedDriver) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  SP_DRVINFO_DATA_V2_W info = ToDrvinfo(driver);
  return m_setSelectedDriver(ToSet(set), &data, reinterpret_cast<SP_DRVINFO_DATA_W*>(&info));
}

bool TWin32DeviceInstall::DestroyDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                                                uint32_t driverType) {
  if (!m_destroyDriverInfoList) return Missing();
  SP_DEVINFO_DATA data = ToDevinfo(device);
  return m_destroyDriverInfoList(ToSet(set), &data, driverType);
}

TFileQueue TWin32DeviceInstall::OpenFileQueue() {
  if (!m_openFileQueue) return Missing(), INVALID_DEVICE_HANDLE;
  return reinterpret_cast<TFileQueue>(m_openFileQueue());
}

bool TWin32DeviceInstall::CloseFileQueue(TFileQueue queue) {
  if (!m_closeFileQueue) return Missing();
  return m_closeFileQueue(reinterpret_cast<HSPFILEQ>(queue));
}

bool TWin32DeviceInstall::CallClassInstaller(uint32_t installFunction, TDevInfoSet set,
                                             const TSpDevinfoData* device) {
  if (!m_callClassInstaller) return Missing();
  SP_DEVINFO_DATA data = device ? ToDevinfo(*device) : SP_DEVINFO_DATA{};
  return m_callClassInstaller(installFunction, ToSet(set), device ? &data : nullptr);
}

namespace {

struct TQueueScanContext {
  const IDeviceInstall::TQueueScanCallback* onTarget;
};

// The scan's callback: each queued copy's target path to the caller; no exception
// leaves it, and an exception stops the scan.
UINT CALLBACK QueueScanCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  if (notification != SPFILENOTIFY_QUEUESCAN) return NO_ERROR;
  auto* scan = static_cast<TQueueScanContext*>(context);
  try {
    const wchar_t* target = reinterpret_cast<const wchar_t*>(param1);
    return (*scan->onTarget)(target ? WideToUtf8(target, wcslen(target)) : std::string())
               ? NO_ERROR
               : ERROR_CANCELLED;
  } catch (...) {
    return ERROR_CANCELLED;
  }
}

}  // namespace

bool TWin32DeviceInstall::ScanFileQueue(TFileQueue queue, uint32_t flags, const TQueueScanCallback& onTarget,
                                        uint32_t* result) {
  if (!m_scanFileQueue) return Missing();
  TQueueScanContext context{&onTarget};
  DWORD scanResult = 0;
  bool ok = m_scanFileQueue(reinterpret_cast<HSPFILEQ>(queue), flags, nullptr,
                            (flags & SPQ_SCAN_USE_CALLBACK) ? QueueScanCallback : nullptr, &context,
                            &scanResult);
  if (result) *result = scanResult;
  return ok;
}

bool TWin32DeviceInstall::ReadInfField(const std::string& infPath, uint32_t infStyle,
                                       const std::string& section, const std::string& key,
                                       uint32_t field, std::string* value) {
  if (!m_openInfFile || !m_closeInfFile || !m_findFirstLine || !m_getStringField) return Missing();
  std::wstring path = Utf8ToWide(infPath);
  HINF inf = m_openInfFile(path.c_str(), nullptr, infStyle, nullptr);
  if (inf == INVALID_HANDLE_VALUE) return false;
  std::wstring sectionName = Utf8ToWide(section);
  std::wstring keyName = Utf8ToWide(key);
  INFCONTEXT line{};
  wchar_t text[MAX_PATH] = {};
  bool ok = m_findFirstLine(inf, sectionName.c_str(), keyName.c_str(), &line) &&
            m_getStringField(&line, field, text, MAX_PATH, nullptr);
  TLastErrorKeeper keeper;
  m_closeInfFile(inf);
  if (ok && value) *value = FixedText(text, MAX_PATH);
  return ok;
}

bool TWin32DeviceInstall::QueueInfSectionFiles(const std::string& infPath, const std::string& section,
                                               TFileQueue queue) {
  if (!m_openInfFile || !m_closeInfFile || !m_installFilesFromInfSection) return Missing();
  std::wstring path = Utf8ToWide(infPath);
  HINF inf = m_openInfFile(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
  if (inf == INVALID_HANDLE_VALUE) return false;
  std::wstring sectionName = Utf8ToWide(section);
  bool ok = m_installFilesFromInfSection(inf, nullptr, reinterpret_cast<HSPFILEQ>(queue), sectionName.c_str(),
                                         nullptr, 0);
  TLastErrorKeeper keeper;
  m_closeInfFile(inf);
  return ok;
}

std::string TWin32DeviceInstall::SystemDirectory() {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return WideToUtf8(folder, length);
}

bool TWin32DeviceInstall::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                            const std::string& infPath,
                                                            uint32_t installFlags, bool* rebootRequired) {
  using TUpdateDriver = BOOL(WINAPI*)(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL);
  TLibrary newDev = LoadSystemLibrary(L"newdev.dll");
  auto update = newDev ? reinterpret_cast<TUpdateDriver>(reinterpret_cast<void*>(
                             GetProcAddress(newDev.Get(), "UpdateDriverForPlugAndPlayDevicesW")))
                       : nullptr;
  if (!update) {
    SetLastError(ERROR_DLL_INIT_FAILED);
    return false;
  }
  std::wstring id = Utf8ToWide(hardwareId);
  std::wstring path = Utf8ToWide(infPath);
  BOOL reboot = FALSE;
  bool ok = update(nullptr, id.c_str(), path.c_str(), installFlags, &reboot);
  TLastErrorKeeper keeper;
  if (rebootRequired) *rebootRequired = reboot != FALSE;
  newDev.Reset();
  return ok;
}
