// TDataManager's device enumeration: the platform's device tree as device records.
#include <algorithm>

#include "engine/data_manager.h"
#include "engine/device_reads.h"
#include "engine/driver_facts.h"
#include "engine/installed_driver_key.h"
#include "platform/utf16le.h"

namespace {

constexpr uint32_t FRIENDLY_NAME_BYTES = 1000;
constexpr uint32_t LOCATION_BYTES = 2002;
constexpr uint32_t CLASS_DESCRIPTION_BYTES = 1000;
constexpr uint32_t MULTI_SZ_BUFFER_BYTES = 8192;
constexpr uint32_t STRING_BUFFER_BYTES = 1024;
constexpr uint32_t UNKNOWN_CLASS_NAME_CHARS = 1000;
constexpr size_t HARDWARE_ID_MAX_CHARS = 200;

// The first count code points of UTF-8 text.
std::string FirstCodePoints(const std::string& text, size_t count) {
  size_t position = 0;
  for (size_t seen = 0; position < text.size(); ++position) {
    if ((static_cast<unsigned char>(text[position]) & 0xC0) != 0x80 && seen++ == count) break;
  }
  return text.substr(0, position);
}

std::string TrimRight(const std::string& text) {
  size_t end = text.find_last_not_of(" \t");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// A property query into a buffer of initialBytes (plus a terminator), re-sized
// once to the required size when the value is of acceptedType and did not fit.
std::vector<uint8_t> QueryPropertyResizedOnce(IDeviceInstall& devices, TDevInfoSet set,
                                              const TSpDevinfoData& device, uint32_t property,
                                              uint32_t initialBytes, uint32_t acceptedType,
                                              uint32_t otherAcceptedType) {
  std::vector<uint8_t> buffer(initialBytes + 2, 0);
  uint32_t type = 0, required = 0;
  if (devices.GetDeviceRegistryProperty(set, device, property, &type, buffer.data(), initialBytes, &required))
    return buffer;
  if (devices.LastError() != ERROR_INSUFFICIENT_BUFFER || (type != acceptedType && type != otherAcceptedType))
    return {};
  buffer.assign(required + 2, 0);
  if (!devices.GetDeviceRegistryProperty(set, device, property, &type, buffer.data(), required, &required))
    return {};
  return buffer;
}

}  // namespace

bool TDataManager::StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  size_t prefixLength = 0;
  for (unsigned char c : prefix) prefixLength += (c & 0xC0) != 0x80 ? 1 : 0;
  return m_ports.locale.CompareText(FirstCodePoints(text, prefixLength), prefix) == 0;
}

TDevInfoSet TDataManager::AllDevicesSet(uint32_t index) {
  if (index == 0) ReleaseAllDevicesSet();
  if (!m_enumerationSet || !m_enumerationSet->Valid())
    m_enumerationSet = std::make_unique<TScopedDevInfoSet>(m_devices, m_devices.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
  return m_enumerationSet->Get();
}

void TDataManager::ReleaseAllDevicesSet() { m_enumerationSet.reset(); }

int TDataManager::EnumAllDevices(uint32_t index, TDeviceProperties& devProps) {
  TDevInfoSet devs = AllDevicesSet(index);
  if (devs == INVALID_DEVICE_HANDLE) {
    ReleaseAllDevicesSet();
    return -3;
  }
  TSpDevinfoData devInfo;
  devInfo.cbSize = SP_DEVINFO_DATA_SIZE;
  if (!m_devices.EnumDeviceInfo(devs, index, &devInfo)) {
    ReleaseAllDevicesSet();  // the end of the enumeration
    return -1;
  }

  GetClassInfoFromGuid(devInfo.ClassGuid, devProps);

  uint32_t status = 0, problem = 0;
  uint32_t nodeResult = m_devices.GetDevNodeStatus(&status, &problem, devInfo.DevInst, 0);
  if (nodeResult == CR_NO_SUCH_DEVINST) {
    devProps.strClassGUID = UNPLUGGED_DEVICES_CLASS;
    devProps.strClassDescription = UNPLUGGED_DEVICES_CLASS;
  } else if (nodeResult == CR_SUCCESS) {
    devProps.nStatusCode = problem;
  }

  std::string name;
  if (auto friendly = ReadStringPropertyOnce(m_devices, devs, devInfo, SPDRP_FRIENDLYNAME, FRIENDLY_NAME_BYTES)) {
    name = *friendly;
  } else if (auto description = ReadStringPropertyOnce(m_devices, devs, devInfo, SPDRP_DEVICEDESC, FRIENDLY_NAME_BYTES)) {
    name = *description;
    if (StartsWithIgnoringCase(devProps.strClassGUID, UNPLUGGED_DEVICES_CLASS)) {
      if (auto location = ReadStringPropertyOnce(m_devices, devs, devInfo, SPDRP_LOCATION_INFORMATION, LOCATION_BYTES))
        name += " - " + *location;
    }
  } else {
    return -4;
  }
  devProps.strName = name;
  if (StartsWithIgnoringCase(name, "Unknown")) return -5;

  std::vector<std::string> hardwareIds;
  if (GetDevMultiSz(devs, devInfo, SPDRP_HARDWAREID, hardwareIds)) {
    if (StartsWithIgnoringCase(hardwareIds.front(), "SW")) return -5;
    devProps.strHID = hardwareIds.front();
    devProps.strHIDs = std::move(hardwareIds);
  }
  std::vector<std::string> compatibleIds;
  if (GetDevMultiSz(devs, devInfo, SPDRP_COMPATIBLEIDS, compatibleIds)) {
    devProps.strCompatibleHID = compatibleIds.front();
    devProps.strCompatibleHIDs = std::move(compatibleIds);
  }

  DescribeInstalledDriver(devs, devInfo, devProps);
  return 0;
}

bool TDataManager::DescribeInstalledDriver(TDevInfoSet Devs, const TSpDevinfoData& DevInfo,
                                           TDeviceProperties& devProps) {
  TSpDrvinfoData driver;
  TSpDrvinfoDetailData detail;
  detail.cbSize = SP_DRVINFO_DETAIL_DATA_SIZE;
  bool haveDetail = false;
  if (FindCurrentDriver(Devs, DevInfo, driver)) {
    uint32_t required = 0;
    haveDetail = m_devices.GetDriverInfoDetail(Devs, DevInfo, driver, &detail, SP_DRVINFO_DETAIL_DATA_SIZE, &required) ||
                 m_devices.LastError() == ERROR_INSUFFICIENT_BUFFER;
  } else if (m_devices.LastError() != ERROR_NO_MORE_ITEMS &&
             ReadInstalledDriverKey(m_devices, Devs, DevInfo, driver, detail)) {
    // The driver list failed (not merely empty): the driver key tells what is installed.
    haveDetail = true;
  } else {
    return false;
  }
  if (haveDetail) {
    devProps.strINFFileName = detail.InfFileName;
    devProps.strINFSectionName = detail.SectionName;
  }
  devProps.strManufacturer = driver.MfgName;
  devProps.strProvider = driver.ProviderName;
  devProps.strNewProvider = driver.ProviderName;
  devProps.strDriverDate = FormatDriverDate(driver.DriverDate);
  devProps.strVersion = FormatDriverVersion(driver.DriverVersion);
  return true;
}

int TDataManager::GetClassInfoFromGuid(const TGuid& Guid, TDeviceProperties& devProps) {
  auto className = ClassNameOf(m_devices, Guid, MAX_CLASS_NAME_LEN);
  if (!className) return 0;
  devProps.FGUID = Guid;
  m_devices.GetClassImageIndex(m_ImageListData, Guid, &devProps.nDeviceImage);
  std::string description;
  TScopedDeviceKey key(m_devices, m_devices.OpenClassRegKeyEx(&Guid, KEY_QUERY_VALUE, DIOCR_INSTALLER));
  if (key.Valid()) description = ReadKeyText(m_devices, key.Get(), "", CLASS_DESCRIPTION_BYTES).value_or("");
  devProps.strClassGUID = *className;
  devProps.strClassDescription = description.empty() ? *className : description;
  return 1;
}

int TDataManager::FindCurrentDriver(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TSpDrvinfoData& DriverInfoData) {
  DriverInfoData = TSpDrvinfoData{};
  DriverInfoData.cbSize = SP_DRVINFO_DATA_V2_SIZE;
  TSpDevinstallParams params;
  params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  if (!m_devices.GetDeviceInstallParams(Devs, DevInfo, &params)) return 0;
  params.FlagsEx |= DI_FLAGSEX_INSTALLEDDRIVER | DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  if (!m_devices.SetDeviceInstallParams(Devs, DevInfo, params)) return 0;
  if (!m_devices.BuildDriverInfoList(Devs, DevInfo, SPDIT_CLASSDRIVER)) return 0;
  return m_devices.EnumDriverInfo(Devs, DevInfo, SPDIT_CLASSDRIVER, 0, &DriverInfoData) ? 1 : 0;
}

bool TDataManager::GetDevMultiSz(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, uint32_t Prop,
                                 std::vector<std::string>& MultiStrings) {
  std::vector<uint8_t> buffer =
      QueryPropertyResizedOnce(m_devices, Devs, DevInfo, Prop, MULTI_SZ_BUFFER_BYTES, REG_MULTI_SZ, REG_MULTI_SZ);
  std::vector<std::string> strings = StringsOfMultiSz(buffer.data(), buffer.size());
  MultiStrings.insert(MultiStrings.end(), strings.begin(), strings.end());
  return !strings.empty();
}

std::string TDataManager::GetDeviceStringProperty(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, uint32_t Prop) {
  // A multi-string is re-sized too, so that its first string is read whole.
  std::vector<uint8_t> buffer =
      QueryPropertyResizedOnce(m_devices, Devs, DevInfo, Prop, STRING_BUFFER_BYTES, REG_SZ, REG_MULTI_SZ);
  return TextOfUtf16Bytes(buffer.data(), buffer.size());
}

bool TDataManager::WildCompareHwIds(const std::vector<std::string>& HwIdList, const std::string& MatchEntry) {
  return std::any_of(HwIdList.begin(), HwIdList.end(),
                     [&](const std::string& id) { return m_ports.locale.CompareText(id, MatchEntry) == 0; });
}

int TDataManager::EnumDeviceClasses(uint32_t index, TClassString& DeviceClassName, std::string& DeviceClassDesc,
                                    bool& DevicePresent, int32_t& ClassImage) {
  DevicePresent = false;
  TGuid classGuid{};
  uint32_t result = m_devices.EnumerateClasses(index, &classGuid, 0);
  if (result == CR_INVALID_DATA) return -2;
  if (result == CR_NO_SUCH_VALUE) return -1;
  if (result != CR_SUCCESS) return -3;

  auto className = ClassNameOf(m_devices, classGuid, MAX_CLASS_NAME_LEN);
  m_devices.GetClassImageIndex(m_ImageListData, classGuid, &ClassImage);

  TScopedDevInfoSet devs(m_devices, m_devices.GetClassDevs(&classGuid, DIGCF_PRESENT));
  if (!devs.Valid()) return 0;
  TScopedDeviceKey key(m_devices, m_devices.OpenClassRegKeyEx(&classGuid, MAXIMUM_ALLOWED, DIOCR_INSTALLER));
  if (!key.Valid()) return 0;
  DeviceClassDesc = ReadKeyText(m_devices, key.Get(), "", CLASS_DESCRIPTION_BYTES).value_or("");

  if (className) {
    DeviceClassName = *className;
    DevicePresent = true;
  }
  return 0;
}

int TDataManager::EnumDevicesClassUnknown(const TClassString& /*DeviceClassName*/, int32_t DeviceImage,
                                          const TDeviceList& OldDeviceList) {
  TScopedDevInfoSet devs(m_devices, m_devices.GetClassDevsEx(nullptr, DIGCF_ALLCLASSES));
  if (!devs.Valid()) return -1;
  TSpDevinfoData devInfo;
  devInfo.cbSize = SP_DEVINFO_DATA_SIZE;
  for (uint32_t index = 0; m_devices.EnumDeviceInfo(devs.Get(), index, &devInfo); ++index) {
    if (ClassNameOf(m_devices, devInfo.ClassGuid, UNKNOWN_CLASS_NAME_CHARS)) continue;

    auto device = std::make_unique<TDeviceProperties>();
    std::string name = GetDeviceStringProperty(devs.Get(), devInfo, SPDRP_FRIENDLYNAME);
    if (name.empty()) name = GetDeviceStringProperty(devs.Get(), devInfo, SPDRP_DEVICEDESC);
    if (name.empty()) continue;
    std::string location = GetDeviceStringProperty(devs.Get(), devInfo, SPDRP_LOCATION_INFORMATION);

    std::string hardwareId = GetDeviceStringProperty(devs.Get(), devInfo, SPDRP_HARDWAREID);
    if (hardwareId.empty()) {
      TSpDevinfoListDetailData listDetail;
      listDetail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE;
      std::u16string instanceId(MAX_DEVICE_ID_LEN + 1, u'\0');
      if (m_devices.GetDeviceInfoListDetail(devs.Get(), &listDetail) &&
          m_devices.GetDeviceIdEx(devInfo.DevInst, instanceId.data(), MAX_DEVICE_ID_LEN, 0,
                                  listDetail.RemoteMachineHandle) == CR_SUCCESS)
        hardwareId = Utf16ToUtf8(instanceId.data(), instanceId.find(u'\0'));
      if (hardwareId.empty()) hardwareId = "?";
    }
    device->strHID = FirstCodePoints(hardwareId, HARDWARE_ID_MAX_CHARS);
    device->strClassGUID = "Unknown";
    device->strClassDescription = "Other Devices";
    device->strName = location.empty() ? name : TrimRight(name) + " - " + location;

    const TDeviceProperties* old = TDriverDatamodel::GetDevice(OldDeviceList, device->strHID);
    if (old && old->IsIgnored()) device->nIgnored = 1;
    device->nDeviceImage = DeviceImage;
    m_model.AddDevice(std::move(device));
  }
  return 0;
}
