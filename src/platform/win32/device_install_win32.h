// Device-installation port over setupapi.dll and cfgmgr32.dll, whose functions are
// resolved at run time from the system folder.
#pragma once

#include "platform/device_install.h"
#include "platform/win32/win32_handles.h"

#include <setupapi.h>
#include <cfgmgr32.h>

class TWin32DeviceInstall : public IDeviceInstall {
 public:
  TWin32DeviceInstall();

  bool Available() override;
  uint32_t LastError() override;
  void SetLastErrorCode(uint32_t code) override;
  TDevInfoSet GetClassDevs(const TGuid* classGuid, uint32_t flags) override;
  TDevInfoSet GetClassDevsEx(const TGuid* classGuid, uint32_t flags) override;
  bool DestroyDeviceInfoList(TDevInfoSet set) override;
  bool EnumDeviceInfo(TDevInfoSet set, uint32_t index, TSpDevinfoData* device) override;
  bool GetDeviceInfoListDetail(TDevInfoSet set, TSpDevinfoListDetailData* detail) override;
  bool GetDeviceRegistryProperty(TDevInfoSet set, const TSpDevinfoData& device, uint32_t property,
                                 uint32_t* regDataType, uint8_t* buffer, uint32_t bufferSize,
                                 uint32_t* requiredSize) override;
  bool ClassNameFromGuid(const TGuid& classGuid, char16_t* className, uint32_t classNameSize,
                         uint32_t* requiredSize) override;
  bool GetClassImageList(TSpClassImageListData* imageListData) override;
  bool DestroyClassImageList(const TSpClassImageListData& imageListData) override;
  bool GetClassImageIndex(const TSpClassImageListData& imageListData, const TGuid& classGuid,
                          int32_t* imageIndex) override;
  bool LoadClassIcon(const TGuid& classGuid, TIconHandle* largeIcon,
                     int32_t* miniIconIndex) override;
  TRegKeyHandle OpenClassRegKeyEx(const TGuid* classGuid, uint32_t samDesired,
                                  uint32_t flags) override;
  TRegKeyHandle OpenDevRegKey(TDevInfoSet set, const TSpDevinfoData& device, uint32_t scope,
                              uint32_t hwProfile, uint32_t keyType, uint32_t samDesired) override;
  uint32_t QueryKeyValue(TRegKeyHandle key, const std::string& valueName, uint32_t* type,
                         uint8_t* data, uint32_t* dataSize) override;
  uint32_t CloseKey(TRegKeyHandle key) override;
  uint32_t GetDevNodeStatus(uint32_t* status, uint32_t* problemNumber, uint32_t devInst,
                            uint32_t flags) override;
  uint32_t EnumerateClasses(uint32_t classIndex, TGuid* classGuid, uint32_t flags) override;
  uint32_t GetDeviceIdEx(uint32_t devInst, char16_t* buffer, uint32_t bufferLen, uint32_t flags,
                         uintptr_t machine) override;
  bool GetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                              TSpDevinstallParams* params) override;
  bool SetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                              const TSpDevinstallParams& params) override;
  bool BuildDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                           uint32_t driverType) override;
  bool EnumDriverInfo(TDevInfoSet set, const TSpDevinfoData& device, uint32_t driverType,
                      uint32_t memberIndex, TSpDrvinfoData* driver) override;
  bool GetDriverInfoDetail(TDevInfoSet set, const TSpDevinfoData& device,
                           const TSpDrvinfoData& driver, TSpDrvinfoDetailData* detail,
                           uint32_t detailSize, uint32_t* requiredSize) override;
  bool ClassGuidsFromNameEx(const std::string& className, TGuid* classGuidList,
                            uint32_t classGuidListSize, uint32_t* requiredSize) override;
  bool SetSelectedDriver(TDevInfoSet set, const TSpDevinfoData& device,
                         const TSpDrvinfoData& driver) override;
  bool DestroyDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                             uint32_t driverType) override;
  TFileQueue OpenFileQueue() override;
  bool CloseFileQueue(TFileQueue queue) override;
  bool CallClassInstaller(uint32_t installFunction, TDevInfoSet set,
                          const TSpDevinfoData* device) override;
  bool ScanFileQueue(TFileQueue queue, uint32_t flags, const TQueueScanCallback& onTarget,
                     uint32_t* result) override;
  bool ReadInfField(const std::string& infPath, uint32_t infStyle, const std::string& section,
                    const std::string& key, uint32_t field, std::string* value) override;
  bool QueueInfSectionFiles(const std::string& infPath, const std::string& section,
                            TFileQueue queue) override;
  std::string SystemDirectory() override;
  bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId, const std::string& infPath,
                                         uint32_t installFlags, bool* rebootRequired) override;

 private:
  // Resolves a function of a library; nullptr when the library or the name is missing.
  template <typename TFunction>
  TFunction* Resolve(const TLibrary& library, const char* name);

  TLibrary m_setupApi;
  TLibrary m_cfgMgr;
  decltype(&SetupDiGetClassDevsW) m_getClassDevs = nullptr;
  decltype(&SetupDiGetClassDevsExW) m_getClassDevsEx = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) m_destroyDeviceInfoList = nullptr;
  decltype(&SetupDiEnumDeviceInfo) m_enumDeviceInfo = nullptr;
  decltype(&SetupDiGetDeviceInfoListDetailW) m_getDeviceInfoListDetail = nullptr;
  decltype(&SetupDiGetDeviceRegistryPropertyW) m_getDeviceRegistryProperty = nullptr;
  decltype(&SetupDiClassNameFromGuidW) m_classNameFromGuid = nullptr;
  decltype(&SetupDiGetClassImageList) m_getClassImageList = nullptr;
  decltype(&SetupDiDestroyClassImageList) m_destroyClassImageList = nullptr;
  decltype(&SetupDiGetClassImageIndex) m_getClassImageIndex = nullptr;
  decltype(&SetupDiLoadClassIcon) m_loadClassIcon = nullptr;
  decltype(&SetupDiOpenClassRegKeyExW) m_openClassRegKeyEx = nullptr;
  decltype(&SetupDiOpenDevRegKey) m_openDevRegKey = nullptr;
  decltype(&SetupDiGetDeviceInstallParamsW) m_getDeviceInstallParams = nullptr;
  decltype(&SetupDiSetDeviceInstallParamsW) m_setDeviceInstallParams = nullptr;
  decltype(&SetupDiBuildDriverInfoList) m_buildDriverInfoList = nullptr;
  decltype(&SetupDiEnumDriverInfoW) m_enumDriverInfo = nullptr;
  decltype(&SetupDiGetDriverInfoDetailW) m_getDriverInfoDetail = nullptr;
  decltype(&SetupDiClassGuidsFromNameExW) m_classGuidsFromNameEx = nullptr;
  decltype(&SetupDiSetSelectedDriverW) m_setSelectedDriver = nullptr;
  decltype(&SetupDiDestroyDriverInfoList) m_destroyDriverInfoList = nullptr;
  decltype(&SetupOpenFileQueue) m_openFileQueue = nullptr;
  decltype(&SetupCloseFileQueue) m_closeFileQueue = nullptr;
  decltype(&SetupDiCallClassInstaller) m_callClassInstaller = nullptr;
  decltype(&SetupScanFileQueueW) m_scanFileQueue = nullptr;
  decltype(&SetupOpenInfFileW) m_openInfFile = nullptr;
  decltype(&SetupCloseInfFile) m_closeInfFile = nullptr;
  decltype(&SetupFindFirstLineW) m_findFirstLine = nullptr;
  decltype(&SetupGetStringFieldW) m_getStringField = nullptr;
  decltype(&SetupInstallFilesFromInfSectionW) m_installFilesFromInfSection = nullptr;
  decltype(&CM_Get_DevNode_Status) m_getDevNodeStatus = nullptr;
  decltype(&CM_Enumerate_Classes) m_enumerateClasses = nullptr;
  decltype(&CM_Get_Device_ID_ExW) m_getDeviceIdEx = nullptr;
};
