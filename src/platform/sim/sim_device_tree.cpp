// The simulated device tree: device information sets and their members, the
// members' registry properties and driver lists, class names and images, and the
// configuration manager, with SetupAPI's handles, sizes and last errors. The class
// and driver keys, the class installer and the driver store are in sim_driver_store.cpp.
#include "platform/sim/sim_device_tree.h"

#include <algorithm>
#include <cstring>

#include "platform/utf16le.h"

namespace {

// Device instance handles are the device's position in the tree plus one.
uint32_t DevInstOf(size_t deviceIndex) { return static_cast<uint32_t>(deviceIndex + 1); }

void CopyUnits(const std::u16string& units, char16_t* buffer) {
  std::copy(units.begin(), units.end(), buffer);
  buffer[units.size()] = u'\0';
}

}  // namespace

TGuid GuidFromText(const std::string& text) { return ParseGuid(text).value_or(TGuid{}); }

TSimKeyValue SimStringValue(const std::string& text) { return TSimKeyValue{REG_SZ, RegSzBytes(text)}; }

TSimKeyValue SimBinaryValue(uint64_t value) {
  TSimKeyValue result{REG_BINARY, std::vector<uint8_t>(8)};
  for (size_t i = 0; i < 8; ++i) result.data[i] = static_cast<uint8_t>(value >> (8 * i));
  return result;
}

TSimClass& TSimDeviceTree::AddClass(const std::string& guid, const std::string& name,
                                    const std::string& description) {
  classes.push_back(TSimClass{GuidFromText(guid), name, description});
  return classes.back();
}

TSimDevice& TSimDeviceTree::AddDevice(TSimDevice device) {
  devices.push_back(std::move(device));
  return devices.back();
}

bool TSimDeviceTree::Fail(uint32_t error) {
  m_lastError = error;
  return false;
}

const TSimClass* TSimDeviceTree::FindClass(const TGuid& guid) const {
  for (const auto& simClass : classes)
    if (simClass.guid == guid) return &simClass;
  return nullptr;
}

TDevInfoSet TSimDeviceTree::CreateSet(const TGuid* classGuid, uint32_t flags) {
  if (classDevsFail) {
    m_lastError = ERROR_INVALID_DATA;
    return INVALID_DEVICE_HANDLE;
  }
  if (classGuid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return INVALID_DEVICE_HANDLE;
  }
  TSet set;
  if ((flags & DIGCF_ALLCLASSES) == 0) set.classGuid = *classGuid;
  for (size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].removed) continue;
    if ((flags & DIGCF_PRESENT) && !devices[i].present) continue;
    if ((flags & DIGCF_ALLCLASSES) == 0 && devices[i].classGuid != *classGuid) continue;
    TSetMember member;
    member.device = i;
    set.members.push_back(std::move(member));
  }
  TDevInfoSet handle = m_nextHandle++;
  m_sets.emplace(handle, std::move(set));
  ++setsCreated;
  return handle;
}

TDevInfoSet TSimDeviceTree::GetClassDevs(const TGuid* classGuid, uint32_t flags) {
  return CreateSet(classGuid, flags);
}

TDevInfoSet TSimDeviceTree::GetClassDevsEx(const TGuid* classGuid, uint32_t flags) {
  return CreateSet(classGuid, flags);
}

bool TSimDeviceTree::DestroyDeviceInfoList(TDevInfoSet set) {
  if (m_sets.erase(set) == 0) return Fail(ERROR_INVALID_HANDLE);
  return true;
}

bool TSimDeviceTree::EnumDeviceInfo(TDevInfoSet set, uint32_t index, TSpDevinfoData* device) {
  auto found = m_sets.find(set);
  if (found == m_sets.end()) return Fail(ERROR_INVALID_HANDLE);
  if (device == nullptr || device->cbSize != SP_DEVINFO_DATA_SIZE) return Fail(ERROR_INVALID_USER_BUFFER);
  if (index >= found->second.members.size()) return Fail(ERROR_NO_MORE_ITEMS);
  size_t deviceIndex = found->second.members[index].device;
  device->ClassGuid = devices[deviceIndex].classGuid;
  device->DevInst = DevInstOf(deviceIndex);
  device->Reserved = index + 1;  // the member's place in the set, as SetupAPI keeps its element there
  return true;
}

bool TSimDeviceTree::GetDeviceInfoListDetail(TDevInfoSet set, TSpDevinfoListDetailData* detail) {
  auto found = m_sets.find(set);
  if (found == m_sets.end()) return Fail(ERROR_INVALID_HANDLE);
  if (detail == nullptr || detail->cbSize != SP_DEVINFO_LIST_DETAIL_DATA_SIZE)
    return Fail(ERROR_INVALID_USER_BUFFER);
  detail->ClassGuid = found->second.classGuid;
  detail->RemoteMachineHandle = 0;
  return true;
}

TSimDeviceTree::TSetMember* TSimDeviceTree::Member(TDevInfoSet set, const TSpDevinfoData& device) {
  auto found = m_sets.find(set);
  if (found == m_sets.end()) {
    m_lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (device.cbSize != SP_DEVINFO_DATA_SIZE) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  // The place EnumDeviceInfo recorded finds the member at once; a record made
  // otherwise is searched for.
  std::vector<TSetMember>& members = found->second.members;
  if (device.Reserved > 0 && device.Reserved <= members.size() &&
      DevInstOf(members[device.Reserved - 1].device) == device.DevInst)
    return &members[device.Reserved - 1];
  for (auto& member : members)
    if (DevInstOf(member.device) == device.DevInst) return &member;
  m_lastError = ERROR_INVALID_PARAMETER;
  return nullptr;
}

bool TSimDeviceTree::GetDeviceRegistryProperty(TDevInfoSet set, const TSpDevinfoData& device,
                                               uint32_t property, uint32_t* regDataType,
                                               uint8_t* buffer, uint32_t bufferSize,
                                               uint32_t* requiredSize) {
  ++propertyQueries;
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  const TSimDevice& simDevice = devices[member->device];
  uint32_t type = REG_SZ;
  std::vector<uint8_t> value;
  auto single = [&](const std::string& text) {
    if (!text.empty()) value = RegSzBytes(text);
  };
  auto multi = [&](const std::vector<std::string>& texts) {
    type = REG_MULTI_SZ;
    if (!texts.empty()) value = RegMultiSzBytes(texts);
  };
  switch (property) {
    case SPDRP_DEVICEDESC: single(simDevice.description); break;
    case SPDRP_HARDWAREID: multi(simDevice.hardwareIds); break;
    case SPDRP_COMPATIBLEIDS: multi(simDevice.compatibleIds); break;
    case SPDRP_MFG: single(simDevice.manufacturer); break;
    case SPDRP_FRIENDLYNAME: single(simDevice.friendlyName); break;
    case SPDRP_LOCATION_INFORMATION: single(simDevice.location); break;
    default: return Fail(ERROR_INVALID_REG_PROPERTY);
  }
  // A property the device does not have reads as invalid data, as on Windows.
  if (value.empty()) return Fail(ERROR_INVALID_DATA);
  if (regDataType) *regDataType = type;
  if (requiredSize) *requiredSize = static_cast<uint32_t>(value.size());
  if (buffer == nullptr || bufferSize < value.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, value.data(), value.size());
  return true;
}

bool TSimDeviceTree::ClassNameFromGuid(const TGuid& classGuid, char16_t* className,
                                       uint32_t classNameSize, uint32_t* requiredSize) {
  const TSimClass* simClass = FindClass(classGuid);
  if (simClass == nullptr || simClass->name.empty()) return Fail(ERROR_INVALID_CLASS);
  std::u16string units = Utf8ToUtf16(simClass->name);
  if (requiredSize) *requiredSize = static_cast<uint32_t>(units.size() + 1);
  if (className == nullptr || classNameSize < units.size() + 1) return Fail(ERROR_INSUFFICIENT_BUFFER);
  CopyUnits(units, className);
  return true;
}

bool TSimDeviceTree::GetClassImageList(TSpClassImageListData* imageListData) {
  if (imageListData == nullptr || imageListData->cbSize != SP_CLASSIMAGELIST_DATA_SIZE)
    return Fail(ERROR_INVALID_USER_BUFFER);
  imageListData->ImageList = m_nextHandle++;
  imageListData->Reserved = 0;
  m_classImageLists.insert(imageListData->ImageList);
  return true;
}

bool TSimDeviceTree::DestroyClassImageList(const TSpClassImageListData& imageListData) {
  if (imageListData.cbSize != SP_CLASSIMAGELIST_DATA_SIZE) return Fail(ERROR_INVALID_USER_BUFFER);
  if (m_classImageLists.erase(imageListData.ImageList) == 0) return Fail(ERROR_INVALID_PARAMETER);
  return true;
}

bool TSimDeviceTree::GetClassImageIndex(const TSpClassImageListData& imageListData,
                                        const TGuid& classGuid, int32_t* imageIndex) {
  if (imageListData.cbSize != SP_CLASSIMAGELIST_DATA_SIZE) return Fail(ERROR_INVALID_USER_BUFFER);
  if (m_classImageLists.count(imageListData.ImageList) == 0) return Fail(ERROR_INVALID_PARAMETER);
  for (size_t i = 0; i < classes.size(); ++i)
    if (classes[i].guid == classGuid) {
      *imageIndex = static_cast<int32_t>(i);
      return true;
    }
  return Fail(ERROR_INVALID_CLASS);
}

bool TSimDeviceTree::LoadClassIcon(const TGuid& classGuid, TIconHandle* largeIcon,
                                   int32_t* miniIconIndex) {
  const TSimClass* simClass = FindClass(classGuid);
  if (simClass == nullptr || !simClass->icon) return Fail(ERROR_INVALID_CLASS);
  if (largeIcon) {
    *largeIcon = m_nextHandle++;
    m_loadedIcons.insert(*largeIcon);
  }
  if (miniIconIndex) *miniIconIndex = static_cast<int32_t>(simClass - classes.data());
  return true;
}

uint32_t TSimDeviceTree::GetDevNodeStatus(uint32_t* status, uint32_t* problemNumber,
                                          uint32_t devInst, uint32_t flags) {
  if (status == nullptr || problemNumber == nullptr) return CR_INVALID_POINTER;
  if (flags != 0) return CR_INVALID_FLAG;
  if (devInst == 0 || devInst > devices.size()) return CR_INVALID_DEVNODE;
  const TSimDevice& device = devices[devInst - 1];
  if (!device.present || device.removed) return CR_NO_SUCH_DEVINST;
  constexpr uint32_t DN_STARTED = 0x00000008, DN_HAS_PROBLEM = 0x00000400;
  *status = device.problem ? DN_HAS_PROBLEM : DN_STARTED;
  *problemNumber = device.problem;
  return CR_SUCCESS;
}

uint32_t TSimDeviceTree::EnumerateClasses(uint32_t classIndex, TGuid* classGuid, uint32_t flags) {
  if (classGuid == nullptr) return CR_INVALID_POINTER;
  if (flags != 0) return CR_INVALID_FLAG;
  if (classIndex >= classes.size()) return CR_NO_SUCH_VALUE;
  if (classes[classIndex].invalidData) return CR_INVALID_DATA;
  *classGuid = classes[classIndex].guid;
  return CR_SUCCESS;
}

uint32_t TSimDeviceTree::GetDeviceIdEx(uint32_t devInst, char16_t* buffer, uint32_t bufferLen,
                                       uint32_t /*flags*/, uintptr_t machine) {
  if (buffer == nullptr) return CR_INVALID_POINTER;
  if (machine != 0 || devInst == 0 || devInst > devices.size()) return CR_INVALID_DEVNODE;
  std::u16string units = Utf8ToUtf16(devices[devInst - 1].instanceId);
  if (bufferLen < units.size()) return CR_BUFFER_SMALL;
  std::copy(units.begin(), units.end(), buffer);
  if (units.size() < bufferLen) buffer[units.size()] = u'\0';
  return CR_SUCCESS;
}

bool TSimDeviceTree::GetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                            TSpDevinstallParams* params) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (params == nullptr || params->cbSize != SP_DEVINSTALL_PARAMS_SIZE)
    return Fail(ERROR_INVALID_USER_BUFFER);
  params->Flags = member->flags;
  params->FlagsEx = member->flagsEx;
  params->FileQueue = member->fileQueue;
  params->DriverPath.clear();
  return true;
}

bool TSimDeviceTree::SetDeviceInstallParams(TDevInfoSet set, const TSpDevinfoData& device,
                                            const TSpDevinstallParams& params) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (params.cbSize != SP_DEVINSTALL_PARAMS_SIZE) return Fail(ERROR_INVALID_USER_BUFFER);
  if ((params.Flags & DI_NOVCP) && m_queues.count(params.FileQueue) == 0) return Fail(ERROR_INVALID_PARAMETER);
  member->flags = params.Flags;
  member->flagsEx = params.FlagsEx;
  member->fileQueue = params.FileQueue;
  return true;
}

bool TSimDeviceTree::BuildDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device,
                                         uint32_t driverType) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (driverType != SPDIT_CLASSDRIVER) return Fail(ERROR_INVALID_PARAMETER);
  if (!driverInfoListImplemented) return Fail(ERROR_CALL_NOT_IMPLEMENTED);
  const TSimDevice& simDevice = devices[member->device];
  // With DI_FLAGSEX_INSTALLEDDRIVER the list holds the installed driver only;
  // otherwise every fitting driver of the store, the installed one last.
  member->driverList.clear();
  member->selectedDriver.reset();
  if ((member->flagsEx & DI_FLAGSEX_INSTALLEDDRIVER) == 0) member->driverList = simDevice.storeDrivers;
  if (simDevice.driver) member->driverList.push_back(*simDevice.driver);
  member->driverListBuilt = true;
  return true;
}

bool TSimDeviceTree::EnumDriverInfo(TDevInfoSet set, const TSpDevinfoData& device,
                                    uint32_t driverType, uint32_t memberIndex,
                                    TSpDrvinfoData* driver) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (driverType != SPDIT_CLASSDRIVER) return Fail(ERROR_INVALID_PARAMETER);
  if (driver == nullptr || driver->cbSize != SP_DRVINFO_DATA_V2_SIZE)
    return Fail(ERROR_INVALID_USER_BUFFER);
  if (!member->driverListBuilt || memberIndex >= member->driverList.size())
    return Fail(ERROR_NO_MORE_ITEMS);
  const TSimDriver& simDriver = member->driverList[memberIndex];
  driver->DriverType = SPDIT_CLASSDRIVER;
  driver->Reserved = memberIndex;
  driver->Description = simDriver.description;
  driver->MfgName = simDriver.manufacturer;
  driver->ProviderName = simDriver.provider;
  driver->DriverDate = simDriver.date;
  driver->DriverVersion = simDriver.version;
  return true;
}

bool TSimDeviceTree::GetDriverInfoDetail(TDevInfoSet set, const TSpDevinfoData& device,
                                         const TSpDrvinfoData& driver,
                                         TSpDrvinfoDetailData* detail, uint32_t detailSize,
                                         uint32_t* requiredSize) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (driver.cbSize != SP_DRVINFO_DATA_V2_SIZE || detail == nullptr ||
      detail->cbSize != SP_DRVINFO_DETAIL_DATA_SIZE)
    return Fail(ERROR_INVALID_USER_BUFFER);
  if (!member->driverListBuilt || driver.Reserved >= member->driverList.size())
    return Fail(ERROR_INVALID_PARAMETER);
  const TSimDriver& simDriver = member->driverList[driver.Reserved];
  detail->InfDate = simDriver.date;
  detail->SectionName = simDriver.section;
  detail->InfFileName = simDriver.infPath;
  detail->DrvDescription = simDriver.description;
  // The structure ends in the driver's hardware ids; the fixed part is filled even
  // when they do not fit.
  auto required = static_cast<uint32_t>(SP_DRVINFO_DETAIL_DATA_SIZE - 2 +
                                        RegMultiSzBytes(simDriver.hardwareIds).size());
  if (requiredSize) *requiredSize = required;
  if (detailSize < required) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return true;
}

bool TSimDeviceTree::SetSelectedDriver(TDevInfoSet set, const TSpDevinfoData& device,
                                       const TSpDrvinfoData& driver) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (driver.cbSize != SP_DRVINFO_DATA_V2_SIZE) return Fail(ERROR_INVALID_USER_BUFFER);
  if (!member->driverListBuilt || driver.Reserved >= member->driverList.size()) return Fail(ERROR_INVALID_PARAMETER);
  member->selectedDriver = driver.Reserved;
  return true;
}

bool TSimDeviceTree::DestroyDriverInfoList(TDevInfoSet set, const TSpDevinfoData& device, uint32_t driverType) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return false;
  if (driverType != SPDIT_CLASSDRIVER && driverType != SPDIT_COMPATDRIVER) return Fail(ERROR_INVALID_PARAMETER);
  if (driverType == SPDIT_CLASSDRIVER) {
    member->driverList.clear();
    member->driverListBuilt = false;
    member->selectedDriver.reset();
  }
  return true;
}
