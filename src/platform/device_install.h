// Device-installation port: the SetupAPI and configuration-manager operations the
// device inventory uses, with Windows' buffer, handle and last-error contracts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/guid.h"
#include "platform/registry.h"
#include "platform/win32_errors.h"

// Opaque handles: HDEVINFO, HKEY, HICON, HIMAGELIST.
using TDevInfoSet = uintptr_t;
using TRegKeyHandle = uintptr_t;
using TIconHandle = uintptr_t;
using TImageListHandle = uintptr_t;
using TFileQueue = uintptr_t;  // HSPFILEQ
// INVALID_HANDLE_VALUE, as SetupAPI returns it for a set or key it could not open.
constexpr uintptr_t INVALID_DEVICE_HANDLE = ~uintptr_t{0};

// SetupDiGetClassDevs flags.
#ifndef DIGCF_PRESENT
constexpr uint32_t DIGCF_PRESENT = 0x00000002;
#endif
#ifndef DIGCF_ALLCLASSES
constexpr uint32_t DIGCF_ALLCLASSES = 0x00000004;
#endif
// Device registry properties (SPDRP_*).
#ifndef SPDRP_DEVICEDESC
constexpr uint32_t SPDRP_DEVICEDESC = 0x00000000;
#endif
#ifndef SPDRP_HARDWAREID
constexpr uint32_t SPDRP_HARDWAREID = 0x00000001;
#endif
#ifndef SPDRP_COMPATIBLEIDS
constexpr uint32_t SPDRP_COMPATIBLEIDS = 0x00000002;
#endif
#ifndef SPDRP_MFG
constexpr uint32_t SPDRP_MFG = 0x0000000B;
#endif
#ifndef SPDRP_FRIENDLYNAME
constexpr uint32_t SPDRP_FRIENDLYNAME = 0x0000000C;
#endif
#ifndef SPDRP_LOCATION_INFORMATION
constexpr uint32_t SPDRP_LOCATION_INFORMATION = 0x0000000D;
#endif
// SetupDiOpenClassRegKeyEx and SetupDiOpenDevRegKey.
#ifndef DIOCR_INSTALLER
constexpr uint32_t DIOCR_INSTALLER = 0x00000001;
#endif
#ifndef DICS_FLAG_GLOBAL
constexpr uint32_t DICS_FLAG_GLOBAL = 0x00000001;
#endif
#ifndef DICS_FLAG_CONFIGSPECIFIC
constexpr uint32_t DICS_FLAG_CONFIGSPECIFIC = 0x00000002;
#endif
#ifndef DIREG_DEV
constexpr uint32_t DIREG_DEV = 0x00000001;
#endif
#ifndef DIREG_DRV
constexpr uint32_t DIREG_DRV = 0x00000002;
#endif
// Registry access rights.
#ifndef KEY_QUERY_VALUE
constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
#endif
#ifndef KEY_READ
constexpr uint32_t KEY_READ = 0x00020019;
#endif
#ifndef MAXIMUM_ALLOWED
constexpr uint32_t MAXIMUM_ALLOWED = 0x02000000;
#endif
// Install parameters and driver lists.
#ifndef DI_FLAGSEX_ALLOWEXCLUDEDDRVS
constexpr uint32_t DI_FLAGSEX_ALLOWEXCLUDEDDRVS = 0x00000800;
#endif
#ifndef DI_FLAGSEX_INSTALLEDDRIVER
constexpr uint32_t DI_FLAGSEX_INSTALLEDDRIVER = 0x04000000;
#endif
#ifndef SPDIT_CLASSDRIVER
constexpr uint32_t SPDIT_CLASSDRIVER = 0x00000001;
#endif
#ifndef SPDIT_COMPATDRIVER
constexpr uint32_t SPDIT_COMPATDRIVER = 0x00000002;
#endif
#ifndef DI_NOVCP
constexpr uint32_t DI_NOVCP = 0x00000008;
#endif
#ifndef DI_NEEDRESTART
constexpr uint32_t DI_NEEDRESTART = 0x00000080;
#endif
#ifndef DI_NEEDREBOOT
constexpr uint32_t DI_NEEDREBOOT = 0x00000100;
#endif
// Class-installer functions.
#ifndef DIF_REMOVE
constexpr uint32_t DIF_REMOVE = 0x00000005;
#endif
#ifndef DIF_INSTALLDEVICEFILES
constexpr uint32_t DIF_INSTALLDEVICEFILES = 0x00000015;
#endif
// File queues and INF files.
#ifndef SPQ_SCAN_USE_CALLBACK
constexpr uint32_t SPQ_SCAN_USE_CALLBACK = 0x00000004;
#endif
#ifndef SPFILENOTIFY_QUEUESCAN
constexpr uint32_t SPFILENOTIFY_QUEUESCAN = 0x0000000F;
#endif
#ifndef INF_STYLE_WIN4
constexpr uint32_t INF_STYLE_WIN4 = 0x00000002;
#endif
// UpdateDriverForPlugAndPlayDevicesW flags.
#ifndef INSTALLFLAG_FORCE
constexpr uint32_t INSTALLFLAG_FORCE = 0x00000001;
#endif
// Buffer lengths in characters.
#ifndef MAX_CLASS_NAME_LEN
constexpr uint32_t MAX_CLASS_NAME_LEN = 32;
#endif
#ifndef LINE_LEN
constexpr uint32_t LINE_LEN = 256;
#endif
#ifndef MAX_PATH
constexpr uint32_t MAX_PATH = 260;
#endif
#ifndef MAX_DEVICE_ID_LEN
constexpr uint32_t MAX_DEVICE_ID_LEN = 200;
#endif

#ifndef ERROR_ACCESS_DENIED
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
#endif
#ifndef ERROR_INVALID_FLAGS
constexpr uint32_t ERROR_INVALID_FLAGS = 1004;
#endif
#ifndef ERROR_CANCELLED
constexpr uint32_t ERROR_CANCELLED = 1223;
#endif
#ifndef ERROR_DLL_INIT_FAILED
constexpr uint32_t ERROR_DLL_INIT_FAILED = 1114;
#endif
// SetupAPI error codes (last error).
#ifndef ERROR_SECTION_NOT_FOUND
constexpr uint32_t ERROR_SECTION_NOT_FOUND = 0xE0000101;
#endif
#ifndef ERROR_LINE_NOT_FOUND
constexpr uint32_t ERROR_LINE_NOT_FOUND = 0xE0000102;
#endif
#ifndef ERROR_NO_DRIVER_SELECTED
constexpr uint32_t ERROR_NO_DRIVER_SELECTED = 0xE0000203;
#endif
#ifndef ERROR_KEY_DOES_NOT_EXIST
constexpr uint32_t ERROR_KEY_DOES_NOT_EXIST = 0xE0000204;
#endif
#ifndef ERROR_INVALID_CLASS
constexpr uint32_t ERROR_INVALID_CLASS = 0xE0000206;
#endif
#ifndef ERROR_INVALID_REG_PROPERTY
constexpr uint32_t ERROR_INVALID_REG_PROPERTY = 0xE0000209;
#endif
#ifndef ERROR_NO_SUCH_DEVINST
constexpr uint32_t ERROR_NO_SUCH_DEVINST = 0xE000020B;
#endif
// Configuration-manager results (CONFIGRET).
#ifndef CR_SUCCESS
constexpr uint32_t CR_SUCCESS = 0x00;
#endif
#ifndef CR_INVALID_POINTER
constexpr uint32_t CR_INVALID_POINTER = 0x03;
#endif
#ifndef CR_INVALID_FLAG
constexpr uint32_t CR_INVALID_FLAG = 0x04;
#endif
#ifndef CR_FAILURE
constexpr uint32_t CR_FAILURE = 0x13;
#endif
#ifndef CR_INVALID_DEVNODE
constexpr uint32_t CR_INVALID_DEVNODE = 0x05;
#endif
#ifndef CR_NO_SUCH_DEVNODE
constexpr uint32_t CR_NO_SUCH_DEVNODE = 0x0D;
#endif
#ifndef CR_NO_SUCH_DEVINST
constexpr uint32_t CR_NO_SUCH_DEVINST = 0x0D;
#endif
#ifndef CR_BUFFER_SMALL
constexpr uint32_t CR_BUFFER_SMALL = 0x1A;
#endif
#ifndef CR_INVALID_DATA
constexpr uint32_t CR_INVALID_DATA = 0x1F;
#endif
#ifndef CR_NO_SUCH_VALUE
constexpr uint32_t CR_NO_SUCH_VALUE = 0x25;
#endif

// Structure sizes (cbSize values) of the 64-bit and 32-bit SDK headers.
constexpr bool DEVICE_INSTALL_64BIT = sizeof(void*) == 8;
constexpr uint32_t SP_DEVINFO_DATA_SIZE = DEVICE_INSTALL_64BIT ? 32 : 28;
constexpr uint32_t SP_DRVINFO_DATA_V2_SIZE = DEVICE_INSTALL_64BIT ? 1568 : 1564;
constexpr uint32_t SP_DRVINFO_DETAIL_DATA_SIZE = DEVICE_INSTALL_64BIT ? 1584 : 1570;
constexpr uint32_t SP_DEVINSTALL_PARAMS_SIZE = DEVICE_INSTALL_64BIT ? 584 : 556;
constexpr uint32_t SP_DEVINFO_LIST_DETAIL_DATA_SIZE = DEVICE_INSTALL_64BIT ? 560 : 550;
constexpr uint32_t SP_CLASSIMAGELIST_DATA_SIZE = DEVICE_INSTALL_64BIT ? 24 : 12;

// SP_DEVINFO_DATA.
struct TSpDevinfoData {
  uint32_t cbSize = 0;
  TGuid ClassGuid{};
  uint32_t DevInst = 0;
  uintptr_t Reserved = 0;
};

// SP_DRVINFO_DATA_V2_W; texts in UTF-8, at most LINE_LEN - 1 characters each.
struct TSpDrvinfoData {
  uint32_t cbSize = 0;
  uint32_t DriverType = 0;
  uintptr_t Reserved = 0;
  std::string Description;
  std::string MfgName;
  std::string ProviderName;
  uint64_t DriverDate = 0;  // FILETIME
  uint64_t DriverVersion = 0;
};

// SP_DRVINFO_DETAIL_DATA_W, fixed part (the trailing hardware-id list is not kept).
struct TSpDrvinfoDetailData {
  uint32_t cbSize = 0;
  uint64_t InfDate = 0;
  std::string SectionName;  // at most LINE_LEN - 1 characters
  std::string InfFileName;  // at most MAX_PATH - 1 characters
  std::string DrvDescription;
};

// SP_DEVINSTALL_PARAMS_W; every field is kept so that a read-modify-write
// changes only what the program changes.
struct TSpDevinstallParams {
  uint32_t cbSize = 0;
  uint32_t Flags = 0;
  uint32_t FlagsEx = 0;
  uintptr_t hwndParent = 0;
  uintptr_t InstallMsgHandler = 0;
  uintptr_t InstallMsgHandlerContext = 0;
  uintptr_t FileQueue = 0;
  uintptr_t ClassInstallReserved = 0;
  uint32_t Reserved = 0;
  std::string DriverPath;
};

// SP_DEVINFO_LIST_DETAIL_DATA_W.
struct TSpDevinfoListDetailData {
  uint32_t cbSize = 0;
  TGuid ClassGuid{};
  uintptr_t RemoteMachineHandle = 0;
};

// SP_CLASSIMAGELIST_DATA.
struct TSpClassImageListData {
  uint32_t cbSize = 0;
  TImageListHandle ImageList = 0;
  uintptr_t Reserved = 0;
};

class IDeviceInstall {
 public:
  virtual ~IDeviceInstall() = default;

  // Whether the system's device-installation libraries and their functions were found.
  virtual bool Available() = 0;
  // The calling thread's last error, as the failing operation set it.
  virtual uint32_t LastError() = 0;
  // Sets the calling thread's last error.
  virtual void SetLastErrorCode(uint32_t code) = 0;

  // SetupDiGetClassDevsW(classGuid, no enumerator, no window, flags).
  virtual TDevInfoSet GetClassDevs(const TGuid* classGuid, uint32_t flags) = 0;
  // SetupDiGetClassDevsExW(classGuid, no enumerator, no window, flags, no set, local machine).
  virtual TDevInfoSet GetClassDevsEx(const TGuid* classGuid, uint32_t flags) = 0;
  virtual bool DestroyDeviceInfoList(TDevInfoSet set) = 0;
  // SetupDiEnumDeviceInfo: false with ERROR_NO_MORE_ITEMS past the last device.
  virtual bool EnumDeviceInfo(TDevInfoSet set, uint32_t index, TSpDevinfoData* device) = 0;
  virtual bool GetDeviceInfoListDetail(TDevInfoSet set, TSpDevinfoListDetailData* detail) = 0;

  // SetupDiGetDeviceRegistryPropertyW: the value as UTF-16LE bytes; false with
  // ERROR_INSUFFICIENT_BUFFER, the type and the required size when it does not fit.
  virtual bool GetDeviceRegistryProperty(TDevInfoSet set, const TSpDevinfoData& device,
                                         uint32_t property, uint32_t* regDataType, uint8_t* buffer,
                                         uint32_t bufferSize, uint32_t* requiredSize) = 0;

  // SetupDiClassNameFromGuidW; sizes in characters, including the terminator.
  virtual bool ClassNameFromGuid(const TGuid& classGuid, char16_t* className,
                                 uint32_t classNameSize, uint32_t* requiredSize) = 0;
  virtual bool GetClassImageList(TSpClassImageListData* imageListData) = 0;
  virtual bool DestroyClassImageList(const TSpClassImageListData& imageListData) = 0;
  // SetupDiGetClassImageIndex: a failure leaves imageIndex as it was.
  virtual bool GetClassImageIndex(const TSpClassImageListData& imageListData,
                                  const TGuid& classGuid, int32_t* imageIndex) = 0;
  // SetupDiLoadClassIcon: a large icon the caller destroys.
  virtual bool LoadClassIcon(const TGuid& classGuid, TIconHandle* largeIcon,
                             int32_t* miniIconIndex) = 0;

  // SetupDiOpenClassRegKeyExW(classGuid, access, flags, local machine) and
  // SetupDiOpenDevRegKey: a key, or INVALID_DEVICE_HANDLE with the last error set.
  virtual TRegKeyHandle OpenClassRegKeyEx(const TGuid* classGuid, uint32_t samDesired,
                                          uint32_t flags) = 0;
  virtual TRegKeyHandle OpenDevRegKey(TDevInfoSet set, const TSpDevinfoData& device,
                                      uint32_t scope, uint32_t hwProfile, uint32_t keyType,
                                      uint32_t samDesired) = 0;
  // RegQueryValueExW ("" names the default value): data as stored (strings in
  // UTF-16LE); ERROR_MORE_DATA and the needed size when it does not fit; a null
  // data asks for the size only.
  virtual uint32_t QueryKeyValue(TRegKeyHandle key, const std::string& valueName,
                                 uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;
  virtual uint32_t CloseKey(TRegKeyHandle key) = 0;

  // CM_Get_DevNode_Status, CM_Enumerate_Classes, CM_Get_Device_ID_ExW: CONFIGRET results.
  virtual uint32_t GetDevNodeStatus(uint32_t* status, uint32_t* problemNumber, uint32_t devInst,
                                    uint32_t flags) = 0;
  virtual uint32_t EnumerateClasses(uint32_t classIndex, TGuid* classGuid, uint32_t flags) = 0;
  virtual uint32_t GetDeviceIdEx(uint32_t devInst, char16_t* buffer, uint32_t bufferLen,
                                 uint32_t flags, uintptr_t machine) = 0;

  // SetupDiGetDeviceInstallParamsW and SetupDiSetDeviceInstallParamsW.
  virtual bool GetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                      TSpDevinstallParams* params) = 0;
  virtual bool SetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                      const TSpDevinstallParams& params) = 0;
  // SetupDiBuildDriverInfoList, SetupDiEnumDriverInfoW, SetupDiGetDriverInfoDetailW.
  virtual bool BuildDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                                   uint32_t driverType) = 0;
  virtual bool EnumDriverInfo(TDevInfoSet set, const TSpDevinfoData& device, uint32_t driverType,
                              uint32_t memberIndex, TSpDrvinfoData* driver) = 0;
  // detailSize is the byte size the caller's buffer stands for; when the trailing
  // hardware ids do not fit, false with ERROR_INSUFFICIENT_BUFFER and the fixed part filled.
  virtual bool GetDriverInfoDetail(TDevInfoSet set, const TSpDevinfoData& device,
                                   const TSpDrvinfoData& driver, TSpDrvinfoDetailData* detail,
                                   uint32_t detailSize, uint32_t* requiredSize) = 0;

  // SetupDiClassGuidsFromNameExW(className, list, listSize, required, local machine):
  // false with ERROR_INSUFFICIENT_BUFFER when more GUIDs exist than the list holds
  // (the list is filled as far as it goes); requiredSize receives the count.
  virtual bool ClassGuidsFromNameEx(const std::string& className, TGuid* classGuidList,
                                    uint32_t classGuidListSize, uint32_t* requiredSize) = 0;
  // SetupDiSetSelectedDriverW with a driver of the device's built list.
  virtual bool SetSelectedDriver(TDevInfoSet set, const TSpDevinfoData& device,
                                 const TSpDrvinfoData& driver) = 0;
  // SetupDiDestroyDriverInfoList.
  virtual bool DestroyDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                                     uint32_t driverType) = 0;
  // SetupOpenFileQueue: a queue, or INVALID_DEVICE_HANDLE; SetupCloseFileQueue.
  virtual TFileQueue OpenFileQueue() = 0;
  virtual bool CloseFileQueue(TFileQueue queue) = 0;
  // SetupDiCallClassInstaller; a null device asks for the whole set.
  virtual bool CallClassInstaller(uint32_t installFunction, TDevInfoSet set,
                                  const TSpDevinfoData* device) = 0;
  // SetupScanFileQueueW with SPQ_SCAN_USE_CALLBACK: onTarget receives each queued
  // copy's target path and returns whether the scan goes on. A stopped scan fails;
  // result receives 0 when every call asked to go on.
  using TQueueScanCallback = std::function<bool(const std::string& targetPath)>;
  virtual bool ScanFileQueue(TFileQueue queue, uint32_t flags, const TQueueScanCallback& onTarget,
                             uint32_t* result) = 0;
  // SetupOpenInfFileW(infPath, no class, infStyle), SetupFindFirstLineW(section, key)
  // and SetupGetStringFieldW(field) in one call; at most MAX_PATH - 1 characters.
  // False with the last error of the failing step.
  virtual bool ReadInfField(const std::string& infPath, uint32_t infStyle,
                            const std::string& section, const std::string& key, uint32_t field,
                            std::string* value) = 0;
  // SetupOpenInfFileW(infPath, INF_STYLE_WIN4) and SetupInstallFilesFromInfSectionW:
  // the copies the install section names, queued (no copy made).
  virtual bool QueueInfSectionFiles(const std::string& infPath, const std::string& section,
                                    TFileQueue queue) = 0;
  // GetSystemDirectoryW: the system folder, empty on failure.
  virtual std::string SystemDirectory() = 0;
  // UpdateDriverForPlugAndPlayDevicesW of "newdev.dll" from the system folder, no
  // parent window. False with ERROR_DLL_INIT_FAILED when the library or the function
  // is missing; otherwise the function's result and last error, and its reboot flag.
  virtual bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                 const std::string& infPath, uint32_t installFlags,
                                                 bool* rebootRequired) = 0;
};

// Releases a set or closes a key of the port when it goes out of scope.
template <auto Close>
class TScopedDeviceHandle {
 public:
  TScopedDeviceHandle(IDeviceInstall& port, uintptr_t handle) : m_port(port), m_handle(handle) {}
  ~TScopedDeviceHandle() {
    if (Valid()) (m_port.*Close)(m_handle);
  }
  TScopedDeviceHandle(const TScopedDeviceHandle&) = delete;
  TScopedDeviceHandle& operator=(const TScopedDeviceHandle&) = delete;

  uintptr_t Get() const { return m_handle; }
  bool Valid() const { return m_handle != INVALID_DEVICE_HANDLE; }

 private:
  IDeviceInstall& m_port;
  uintptr_t m_handle;
};

using TScopedDevInfoSet = TScopedDeviceHandle<&IDeviceInstall::DestroyDeviceInfoList>;
using TScopedDeviceKey = TScopedDeviceHandle<&IDeviceInstall::CloseKey>;
using TScopedFileQueue = TScopedDeviceHandle<&IDeviceInstall::CloseFileQueue>;
