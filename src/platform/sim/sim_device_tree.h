// Simulated device tree: setup classes, devices and their installed drivers, served
// through the device-installation port with SetupAPI's handles and last errors.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/device_install.h"

// "{4d36e968-e325-11ce-bfc1-08002be10318}" to a GUID in memory layout; zero when malformed.
TGuid GuidFromText(const std::string& text);

struct TSimDriver {
  std::string infPath;  // as the detail record reports it, e.g. "C:\Windows\INF\oem3.inf"
  std::string section;
  std::string description;
  std::string manufacturer;
  std::string provider;
  uint64_t date = 0;     // FILETIME
  uint64_t version = 0;  // four 16-bit parts, most significant first
  std::vector<std::string> hardwareIds;
  // Where the files its installation copies live on the machine, as a file queue
  // of its installation lists them.
  std::vector<std::string> files{};
};

// A registry value of a device's driver key, as stored.
struct TSimKeyValue {
  uint32_t type = REG_SZ;
  std::vector<uint8_t> data;
};
TSimKeyValue SimStringValue(const std::string& text);
TSimKeyValue SimBinaryValue(uint64_t value);

struct TSimDevice {
  std::string instanceId{};
  TGuid classGuid{};
  std::string friendlyName{};  // empty: the property is not set
  std::string description{};
  std::string location{};
  std::string manufacturer{};
  std::vector<std::string> hardwareIds{};
  std::vector<std::string> compatibleIds{};
  bool present = true;
  uint32_t problem = 0;
  std::optional<TSimDriver> driver{};      // the installed driver
  std::vector<TSimDriver> storeDrivers{};  // other drivers of the store that fit the device
  // Values of the driver key; when empty and a driver is installed, the key holds
  // what Windows writes at install time.
  std::map<std::string, TSimKeyValue> driverKey{};
  bool removed = false;              // DIF_REMOVE took it out of the tree
  bool removalRefused = false;       // DIF_REMOVE fails with access denied
  bool removalNeedsRestart = false;  // DIF_REMOVE sets DI_NEEDRESTART
};

struct TSimClass {
  TGuid guid{};
  std::string name;         // empty: the class has no name
  std::string description;  // default value of the installer key; empty: not set
  bool installerKey = true;
  bool icon = true;
  bool invalidData = false;  // CM_Enumerate_Classes reports CR_INVALID_DATA at its index
};

class TSimDeviceTree : public IDeviceInstall {
 public:
  std::vector<TSimClass> classes;
  std::vector<TSimDevice> devices;
  bool available = true;
  bool classDevsFail = false;            // every device set request fails
  bool driverInfoListImplemented = true;  // false: SetupDiBuildDriverInfoList fails with 120, as on Wine
  int32_t propertyQueries = 0;            // SetupDiGetDeviceRegistryProperty calls
  int32_t setsCreated = 0;
  // The system folder (a real folder of the host, as "Windows\System32"); the Plug
  // and Play installer copies INF files into "INF" beside it and driver files into
  // its "drivers" sub-folder.
  std::string systemDirectory;
  int32_t systemDirectoryQueries = 0;
  bool newDevAvailable = true;     // false: newdev.dll or its function is missing
  bool installNeedsReboot = false;  // the Plug and Play installer asks for a reboot

  TSimClass& AddClass(const std::string& guid, const std::string& name,
                      const std::string& description);
  TSimDevice& AddDevice(TSimDevice device);

  // Handles the program still holds; zero after every well-behaved operation.
  size_t OpenSets() const { return m_sets.size(); }
  size_t OpenKeys() const { return m_keys.size(); }
  size_t OpenQueues() const { return m_queues.size(); }
  // The device whose hardware ids hold this one (any case); nullptr when none.
  TSimDevice* FindDevice(const std::string& hardwareId);
  const std::set<TIconHandle>& LoadedIcons() const { return m_loadedIcons; }

  bool Available() override { return available; }
  uint32_t LastError() override { return m_lastError; }
  void SetLastErrorCode(uint32_t code) override { m_lastError = code; }
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
  struct TSetMember {
    size_t device = 0;  // index into devices
    uint32_t flagsEx = 0;
    bool driverListBuilt = false;
    std::vector<TSimDriver> driverList;
    uint32_t flags = 0;
    TFileQueue fileQueue = 0;
    std::optional<size_t> selectedDriver;  // index into driverList
  };
  struct TSet {
    TGuid classGuid{};  // zero for a set of all classes
    std::vector<TSetMember> members;
  };
  using TKeyValues = std::map<std::string, TSimKeyValue>;

  bool Fail(uint32_t error);
  TDevInfoSet CreateSet(const TGuid* classGuid, uint32_t flags);
  // The set's member for a device record, or nullptr with the last error set.
  TSetMember* Member(TDevInfoSet set, const TSpDevinfoData& device);
  const TSimClass* FindClass(const TGuid& guid) const;
  TKeyValues DriverKeyValues(const TSimDevice& device) const;
  TRegKeyHandle OpenKey(TKeyValues values);
  bool InstallDeviceFiles(TSetMember& member);
  std::filesystem::path InfFolder() const;
  std::filesystem::path DriversFolder() const;
  bool RemoveDevice(TSetMember& member);

  uint32_t m_lastError = ERROR_SUCCESS;
  uintptr_t m_nextHandle = 0x1000;
  std::map<TDevInfoSet, TSet> m_sets;
  std::map<TRegKeyHandle, TKeyValues> m_keys;  // value names in lower case
  std::set<TImageListHandle> m_classImageLists;
  std::set<TIconHandle> m_loadedIcons;
  std::map<TFileQueue, std::vector<std::string>> m_queues;  // queued target paths
  int32_t m_nextOemInf = 0;
};
