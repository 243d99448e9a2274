#include "core/data_model.h"

#include "core/errors.h"
#include "core/os_description.h"
#include "core/paths.h"
#include "core/server_policy.h"
#include "core/url.h"
#include "core/windows_policies.h"
#include "platform/ascii_case.h"
#include "res/string_ids.h"

TDriverDatamodel::TDriverDatamodel(TSystemPorts ports)
    : m_ports(ports),
      m_AppName("Quorvane"),
      m_MyDeviceList(ports.locale),
      m_SysInfo(ports.firmware, ports.hardware, ports.locale, m_CompleteOSDesc) {
  m_WindowsAutoDrvUpdate = GetWindowsDriverUpdates(m_ports.registry);
  m_Tasks = ConnectTaskScheduler(m_ports.scheduler, m_ports.osVersion.Version());
  m_SchedulerAvailable = m_Tasks != nullptr;
  Initialize();
  for (const std::string& file : {SettingsFileName(), ScanResultFileName()})
    RemoveLeftoverTemporaries(m_ports.fileSystem, file);
  BuildOsDescription();
  if (IsOsVistaAndAbove()) RemoveTask(TASK_SUFFIX_ONCE);
}

void TDriverDatamodel::Initialize() {
  m_ServerURL = QV_SERVER_HOST;
  SetServerPort(QV_SERVER_PORT);
  m_ServerTls.reset();
  if (auto address = ServerPolicy(m_ports.registry, QV_SERVER_PORT)) {
    m_ServerURL = address->host;
    SetServerPort(address->port);
    m_ServerTls = address->tls;
  }
  const std::string roaming = m_ports.shell.RoamingAppDataFolder();
  // Without it the folder would be relative: the current directory, System32 for a scheduled start.
  if (roaming.empty()) throw EInOutError(m_ports.strings.Load(IDS_APPDATA_FOLDER_FAILED));
  m_AppDir = JoinPath(roaming, m_AppName);
  ForceFolder(m_ports.fileSystem, m_AppDir);
  ReadSettings();
  LoadScanResults();
}

void TDriverDatamodel::BuildOsDescription() {
  TOsDescription os = DescribeOperatingSystem(m_ports.osVersion);
  m_CompleteOSDesc = os.description;
  m_OSVer = os.version;
  m_OSArch = os.architecture;
}

TSystemInfo& TDriverDatamodel::SysInfo() {
  m_SysInfo.Collect();
  return m_SysInfo;
}

std::string TDriverDatamodel::SettingsFileName() const { return JoinPath(m_AppDir, "config.ini"); }

std::string TDriverDatamodel::ScanResultFileName() const { return JoinPath(m_AppDir, "config.bin"); }

bool TDriverDatamodel::IsOsVistaAndAbove() const {
  if (m_OSVer.size() < 2 || m_OSVer[1] != '.') return true;
  return !(m_OSVer[0] >= '0' && m_OSVer[0] <= '5');
}

int32_t TDriverDatamodel::ServerPort() const { return IsOsVistaAndAbove() ? m_ServerPort : 80; }

void TDriverDatamodel::SetServerPort(int32_t value) { m_ServerPort = IsOsVistaAndAbove() ? value : 80; }

int32_t TDriverDatamodel::DeviceCount() {
  m_devicecount = static_cast<int32_t>(m_MyDeviceList.Count());
  return m_devicecount;
}

bool TDriverDatamodel::AddDevice(std::unique_ptr<TDeviceProperties> ADeviceProperties) {
  m_MyDeviceList.Add(std::move(ADeviceProperties));
  return true;
}

TDeviceProperties* TDriverDatamodel::GetDevice(const std::string& strHID) const {
  return m_MyDeviceList.Find(strHID);
}

TDeviceProperties* TDriverDatamodel::GetDevice(const TDeviceList& devMap, const std::string& strHID) {
  return devMap.Find(strHID);
}

bool TDriverDatamodel::IsHiddenUnplugged(const TDeviceProperties& device) const {
  return !m_ShowUnplugged && device.IsUnpluggedDevice();
}

void TDriverDatamodel::GetDriverMap(TDriverMap& pMap, int aType) const {
  for (const auto& device : m_MyDeviceList)
    if (device->IsDriverType(aType) && !IsHiddenUnplugged(*device)) pMap.push_back(device.get());
}

int TDriverDatamodel::GetOutofDateDrivers() const {
  TDriverMap map;
  GetDriverMap(map, DRIVER_TYPE_OUTDATED);
  return static_cast<int>(map.size());
}

int TDriverDatamodel::GetUptoDateDrivers() const {
  int count = 0;
  for (const auto& device : m_MyDeviceList)
    if (device->IsUpdated() && !IsHiddenUnplugged(*device)) ++count;
  return count;
}

int TDriverDatamodel::GetIgnoredDrivers() const {
  int count = 0;
  for (const auto& device : m_MyDeviceList)
    if (device->IsIgnored()) ++count;
  return count;
}

void TDriverDatamodel::SetIgnored(TDeviceProperties& AdevProps, TignoreType AType, int32_t value) {
  AdevProps.nIgnored = value;
  if (AType == deviSingle) return;
  // Copies: AdevProps may be one of the records changed below.
  const std::string hid = AdevProps.strHID;
  const std::string name = AdevProps.strName;
  for (const auto& device : m_MyDeviceList) {
    if (device->strHID != hid) continue;
    if (AType == deviAll || device->strName == name) device->nIgnored = value;
  }
}

void TDriverDatamodel::ExcludeDevice(TDeviceProperties& AdevProps, TignoreType AType) {
  SetIgnored(AdevProps, AType, 1);
}

void TDriverDatamodel::IncludeDevice(TDeviceProperties& AdevProps, TignoreType AType) {
  SetIgnored(AdevProps, AType, 0);
}

void TDriverDatamodel::ClearClassImages() {
  for (const auto& device : m_MyDeviceList) device->nClassImage = -1;
}

void TDriverDatamodel::UpdateClassImages(const TGuid& AGUID, int32_t Aindex) {
  for (const auto& device : m_MyDeviceList)
    if (device->FGUID == AGUID) device->nClassImage = Aindex;
}

bool TDriverDatamodel::LaunchBrowser(const std::string& url) { return ::LaunchBrowser(m_ports.shell, url); }

int CompareClassDescription(const TDeviceProperties& a, const TDeviceProperties& b) {
  return CompareIgnoringAsciiCase(a.strClassDescription, b.strClassDescription);
}
