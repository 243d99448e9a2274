// Removal of the device whose first hardware id is the given one.
#include <vector>

#include "engine/data_manager.h"
#include "engine/device_reads.h"

bool TDataManager::UninstallDevice(const std::string& AhwID, bool& rebootReq) {
  TScopedDevInfoSet devs(m_devices, m_devices.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
  if (!devs.Valid()) return false;
  TSpDevinfoListDetailData listDetail;
  listDetail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE;
  if (!m_devices.GetDeviceInfoListDetail(devs.Get(), &listDetail)) return false;

  TSpDevinfoData devInfo;
  devInfo.cbSize = SP_DEVINFO_DATA_SIZE;
  for (uint32_t index = 0; m_devices.EnumDeviceInfo(devs.Get(), index, &devInfo); ++index) {
    if (!ClassNameOf(m_devices, devInfo.ClassGuid, MAX_CLASS_NAME_LEN)) continue;
    std::vector<std::string> hardwareIds;
    if (!GetDevMultiSz(devs.Get(), devInfo, SPDRP_HARDWAREID, hardwareIds)) continue;
    if (m_ports.locale.CompareText(hardwareIds.front(), AhwID) != 0) continue;
    if (!m_devices.CallClassInstaller(DIF_REMOVE, devs.Get(), &devInfo)) continue;
    rebootReq = false;
    TSpDevinstallParams params;
    params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
    if (m_devices.GetDeviceInstallParams(devs.Get(), devInfo, &params) &&
        (params.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0)
      rebootReq = true;
    return true;
  }
  return false;
}
