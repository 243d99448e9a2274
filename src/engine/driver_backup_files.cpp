#include "engine/driver_backup_files.h"

#include <system_error>
#include <vector>

#include "core/file_names.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "engine/installed_driver_key.h"
#include "platform/path_parts.h"
#include "platform/utf16le.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* INDEX_FILE_NAME = "index.dat";

// Releases the device's class driver list on every path.
class TDriverListScope {
 public:
  TDriverListScope(IDeviceInstall& devices, TDevInfoSet set, const TSpDevinfoData& device)
      : m_devices(devices), m_set(set), m_device(device) {}
  ~TDriverListScope() { m_devices.DestroyDriverInfoList(m_set, m_device, SPDIT_CLASSDRIVER); }
  TDriverListScope(const TDriverListScope&) = delete;
  TDriverListScope& operator=(const TDriverListScope&) = delete;

 private:
  IDeviceInstall& m_devices;
  TDevInfoSet m_set;
  const TSpDevinfoData& m_device;
};

}  // namespace

std::optional<std::string> TCatalogSearch::Find(const std::string& name) {
  if (auto known = m_firstPaths.find(name); known != m_firstPaths.end()) return known->second;
  if (m_finished) return std::nullopt;
  std::error_code error;
  if (!m_started) {
    m_started = true;
    ++m_walks;
    const std::string folder = m_devices.SystemDirectory();
    if (!folder.empty())
      m_walk = fs::recursive_directory_iterator(ToPath(folder), fs::directory_options::skip_permission_denied, error);
    if (folder.empty() || error) {
      m_finished = true;
      return std::nullopt;
    }
  }
  // Go on where the last search stopped, remembering the first path of each name met.
  while (m_walk != fs::recursive_directory_iterator()) {
    const fs::directory_entry entry = *m_walk;
    std::error_code kindError;
    const bool directory = entry.is_directory(kindError);
    // A folder that cannot be opened would end the whole walk at the increment: it is
    // passed over instead, and the walk goes on with the next entry.
    if ((directory || kindError) && !entry.is_symlink(kindError)) {
      std::error_code openError;
      fs::directory_iterator probe(entry.path(), fs::directory_options::skip_permission_denied, openError);
      if (openError) m_walk.disable_recursion_pending();
    }
    m_walk.increment(error);
    if (error) m_walk = fs::recursive_directory_iterator();
    if (directory) continue;
    const std::string entryName = FromPath(entry.path().filename());
    const std::string entryPath = FromPath(entry.path());
    m_firstPaths.emplace(entryName, entryPath);
    if (entryName == name) return entryPath;
  }
  m_finished = true;
  return std::nullopt;
}

std::optional<std::string> DeviceBackupFolder(const std::string& root, const std::string& deviceName,
                                              const std::string& version) {
  const std::string name = MakeValidFileName(deviceName + " - " + version);
  if (!IsPlainFileName(name)) return std::nullopt;
  return JoinPath(root, name);
}

TBackupOutcome TDriverBackup::FindBackupDriverFiles(const TDeviceProperties& devProps, TDriverData& bkUpData) {
  TGuid classGuid{};
  uint32_t required = 0;
  // A device without a setup class has no driver installed.
  if (!m_devices.ClassGuidsFromNameEx(devProps.strClassGUID, &classGuid, 1, &required) &&
      m_devices.LastError() != ERROR_INSUFFICIENT_BUFFER)
    return boNoDriver;
  TScopedDevInfoSet devs(m_devices, m_devices.GetClassDevsEx(nullptr, DIGCF_ALLCLASSES));
  if (!devs.Valid()) return boFailed;
  TSpDevinfoListDetailData listDetail;
  listDetail.cbSize = SP_DEVINFO_LIST_DETAIL_DATA_SIZE;
  if (!m_devices.GetDeviceInfoListDetail(devs.Get(), &listDetail)) return boFailed;

  TSpDevinfoData devInfo;
  devInfo.cbSize = SP_DEVINFO_DATA_SIZE;
  for (uint32_t index = 0;; ++index) {
    if (m_stopped) return boFailed;
    if (!m_devices.EnumDeviceInfo(devs.Get(), index, &devInfo)) return boNoDriver;
    std::vector<std::string> hardwareIds, compatibleIds;
    if (!m_manager.GetDevMultiSz(devs.Get(), devInfo, SPDRP_HARDWAREID, hardwareIds)) continue;
    m_manager.GetDevMultiSz(devs.Get(), devInfo, SPDRP_COMPATIBLEIDS, compatibleIds);
    if (!m_manager.WildCompareHwIds(hardwareIds, devProps.strHID) &&
        !m_manager.WildCompareHwIds(compatibleIds, devProps.strCompatibleHID))
      continue;
    // A name or version that would place the folder outside the backup root is refused.
    if (!DeviceBackupFolder(bkUpData.bkupPath, devProps.strName, devProps.strVersion)) return boFailed;
    m_copiedFiles = 0;
    bkUpData.DeviceName = devProps.strName;
    bkUpData.strHID = devProps.strHID;
    bkUpData.strVersion = devProps.strVersion;
    return CopyDeviceDriverFiles(devs.Get(), devInfo, bkUpData);
  }
}

bool TDriverBackup::FindCurrentDriverforBackUp(TDevInfoSet Devs, const TSpDevinfoData& DevInfo,
                                               TSpDrvinfoData& DriverInfoData) {
  TSpDevinstallParams params;
  params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  if (!m_devices.GetDeviceInstallParams(Devs, DevInfo, &params)) return false;
  params.FlagsEx |= DI_FLAGSEX_INSTALLEDDRIVER | DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  if (!m_devices.SetDeviceInstallParams(Devs, DevInfo, params)) return false;
  if (!m_devices.BuildDriverInfoList(Devs, DevInfo, SPDIT_CLASSDRIVER)) return false;
  DriverInfoData.cbSize = SP_DRVINFO_DATA_V2_SIZE;
  return m_devices.EnumDriverInfo(Devs, DevInfo, SPDIT_CLASSDRIVER, 0, &DriverInfoData);
}

TBackupOutcome TDriverBackup::CopyDeviceDriverFiles(TDevInfoSet Devs, const TSpDevinfoData& DevInfo,
                                                    TDriverData& bkData) {
  TSpDrvinfoData driver;
  if (!FindCurrentDriverforBackUp(Devs, DevInfo, driver)) {
    const bool listMissing = m_devices.LastError() == ERROR_CALL_NOT_IMPLEMENTED;
    m_devices.DestroyDriverInfoList(Devs, DevInfo, SPDIT_CLASSDRIVER);
    // Where the system cannot list a device's drivers at all (Wine), the driver
    // key names the INF and section, and the section itself lists the files.
    return listMissing ? CopyDriverKeyFiles(Devs, DevInfo, bkData) : boNoDriver;
  }
  TDriverListScope driverList(m_devices, Devs, DevInfo);

  // The fixed part of the detail record holds the INF and section even when the
  // trailing hardware ids do not fit.
  TSpDrvinfoDetailData detail;
  detail.cbSize = SP_DRVINFO_DETAIL_DATA_SIZE;
  uint32_t required = 0;
  if (!m_devices.GetDriverInfoDetail(Devs, DevInfo, driver, &detail, SP_DRVINFO_DETAIL_DATA_SIZE, &required) &&
      m_devices.LastError() != ERROR_INSUFFICIENT_BUFFER)
    return boFailed;
  if (detail.InfFileName.empty() || detail.SectionName.empty()) return boFailed;

  if (!m_devices.SetSelectedDriver(Devs, DevInfo, driver)) return boFailed;
  TScopedFileQueue queue(m_devices, m_devices.OpenFileQueue());
  if (!queue.Valid()) return boFailed;
  TSpDevinstallParams params;
  params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  if (!m_devices.GetDeviceInstallParams(Devs, DevInfo, &params)) return boFailed;
  params.FileQueue = queue.Get();
  params.Flags |= DI_NOVCP;
  if (!m_devices.SetDeviceInstallParams(Devs, DevInfo, params)) return boFailed;
  if (!m_devices.CallClassInstaller(DIF_INSTALLDEVICEFILES, Devs, &DevInfo)) return boFailed;

  bkData.driverInfoDetail = detail;
  return CopyQueuedFiles(queue.Get(), bkData);
}

TBackupOutcome TDriverBackup::CopyDriverKeyFiles(TDevInfoSet Devs, const TSpDevinfoData& DevInfo,
                                                 TDriverData& bkData) {
  TSpDrvinfoData driver;
  TSpDrvinfoDetailData detail;
  if (!ReadInstalledDriverKey(m_devices, Devs, DevInfo, driver, detail)) return boNoDriver;
  // The key holds the INF's name in the system's INF folder, beside the system folder.
  const std::string infName = detail.InfFileName;
  const std::string systemFolder = m_devices.SystemDirectory();
  const size_t slash = systemFolder.find_last_of("\\/");
  if (!IsPlainFileName(infName) || slash == std::string::npos) return boFailed;
  detail.InfFileName = JoinPath(JoinPath(systemFolder.substr(0, slash), "INF"), infName);

  TScopedFileQueue queue(m_devices, m_devices.OpenFileQueue());
  if (!queue.Valid()) return boFailed;
  if (!m_devices.QueueInfSectionFiles(detail.InfFileName, detail.SectionName, queue.Get())) return boFailed;
  bkData.driverInfoDetail = detail;
  return CopyQueuedFiles(queue.Get(), bkData);
}

TBackupOutcome TDriverBackup::CopyQueuedFiles(TFileQueue queue, TDriverData& bkData) {
  bool anyFile = false;
  uint32_t scanResult = 0;
  m_devices.ScanFileQueue(
      queue, SPQ_SCAN_USE_CALLBACK,
      [&](const std::string& targetPath) {
        anyFile = true;
        return CopyFileStep(bkData, &targetPath);
      },
      &scanResult);
  // A driver without files still gets its folder, INF, index and catalog.
  if (!anyFile) CopyFileStep(bkData, nullptr);
  if (m_writer && !m_failed && !m_stopped && m_writer->Finish()) return boBackedUp;
  // Half a backup is no backup: its folder goes, so it is never offered for restore.
  RemoveFolder();
  return boFailed;
}

void TDriverBackup::RemoveFolder() {
  // The port deletes links themselves, never their targets.
  if (m_writer && !m_manager.HasLinkOn(FolderOfPath(m_writer->Folder()), m_writer->Folder()))
    m_manager.DeleteFolder(0, m_writer->Folder());
  m_writer.reset();
}

bool TDriverBackup::CopyFileStep(const TDriverData& bkData, const std::string* targetPath) {
  if (m_failed) return true;
  if (m_stopped) {
    // A stopped backup leaves no partial folder behind.
    RemoveFolder();
    return true;
  }
  if (m_copiedFiles == 0) {
    ++m_copiedFiles;
    const std::optional<std::string> first = DeviceBackupFolder(bkData.bkupPath, bkData.DeviceName, bkData.strVersion);
    std::error_code error;
    if (first && !bkData.bkupPath.empty()) fs::create_directories(ToPath(bkData.bkupPath), error);
    const TSystemPorts& ports = m_manager.Ports();
    if (first)
      m_writer = TBackupWriter::Create(ports.fileSystem, ports.hashing, ports.registry, bkData.bkupPath,
                                       FileNameOfPath(*first));
    if (!m_writer || !WriteFolderContents(bkData)) {
      m_failed = true;
      return true;
    }
  }
  if (!m_writer) return true;
  // A junction in the backup location would send the copies elsewhere.
  if (m_manager.HasLinkOn(bkData.bkupPath, m_writer->Folder())) {
    m_failed = true;
    return true;
  }
  if (targetPath != nullptr) {
    const std::string name = FileNameOfPath(*targetPath);
    std::error_code error;
    // A file the driver lists but the system does not hold is passed over; one of a name
    // already copied keeps its first copy.
    if (IsPlainFileName(name) && fs::is_regular_file(ToPath(*targetPath), error) && !m_writer->Holds(name) &&
        !m_writer->CopyIn(*targetPath, name))
      m_failed = true;
    ++m_copiedFiles;
  }
  return true;
}

bool TDriverBackup::WriteFolderContents(const TDriverData& bkData) {
  const std::string& infPath = bkData.driverInfoDetail.InfFileName;
  const std::string infName = FileNameOfPath(infPath);
  if (!IsPlainFileName(infName) || m_manager.HasLinkOn(bkData.bkupPath, m_writer->Folder())) return false;
  if (!m_writer->CopyIn(infPath, infName)) return false;

  const std::vector<uint8_t> index = BackupIndexBytes(infName, bkData.strHID);
  if (!m_writer->WriteIn(INDEX_FILE_NAME, std::string_view(reinterpret_cast<const char*>(index.data()), index.size())))
    return false;

  std::string catalogName;
  if (!m_devices.ReadInfField(infPath, INF_STYLE_WIN4, "Version", "CatalogFile", 1, &catalogName) ||
      catalogName.empty() || !IsPlainFileName(catalogName) || m_writer->Holds(catalogName))
    return true;
  if (std::optional<std::string> catalog = m_catalogs.Find(catalogName)) return m_writer->CopyIn(*catalog, catalogName);
  return true;
}
