// TDataManager's backup run and one-device backup: each device's installed
// driver into its own folder under the backup location.
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "engine/busy_flag.h"
#include "engine/data_manager.h"
#include "engine/driver_backup_files.h"

namespace {

// Shares one catalog search among the device backups of a run.
class TRunCatalogsScope {
 public:
  TRunCatalogsScope(TCatalogSearch*& slot, TCatalogSearch& search) : m_slot(slot) { m_slot = &search; }
  ~TRunCatalogsScope() { m_slot = nullptr; }
  TRunCatalogsScope(const TRunCatalogsScope&) = delete;
  TRunCatalogsScope& operator=(const TRunCatalogsScope&) = delete;

 private:
  TCatalogSearch*& m_slot;
};

}  // namespace

void TDataManager::BackupCancel() { m_stopped = true; }

bool TDataManager::Backup(const TDriverMap& devices, TICallbackHandler* pCallbackHandler) {
  bool result = true;
  m_stopped = false;
  std::error_code error;
  const std::string root = m_model.BackupLocation();
  if (root.empty() || !std::filesystem::is_directory(ToPath(root), error)) {
    if (pCallbackHandler) pCallbackHandler->FinishBackup(false);
    return false;
  }
  TBusyFlag doingBackup(m_doingbackup);
  if (pCallbackHandler) pCallbackHandler->StartBackup(static_cast<int32_t>(devices.size()));
  m_model.SetLastBackupLocation(root);
  m_model.DumpSettings();

  // The system directory is walked for catalogs at most once in the run.
  TCatalogSearch catalogs(m_devices);
  TRunCatalogsScope runCatalogs(m_backupCatalogs, catalogs);
  for (TDeviceProperties* device : devices) {
    if (m_stopped) break;
    if (result) result = Backup(*device, pCallbackHandler);
  }
  if (pCallbackHandler) pCallbackHandler->FinishBackup(result);
  return result;
}

bool TDataManager::Backup(TDeviceProperties& pDeviceProperty, TICallbackHandler* pCallbackHandler) {
  return BackupDevice(pDeviceProperty, pCallbackHandler) == boBackedUp;
}

TBackupOutcome TDataManager::BackupDevice(TDeviceProperties& pDeviceProperty, TICallbackHandler* pCallbackHandler) {
  TDriverData data;
  data.bkupPath = m_model.BackupLocation();
  if (pCallbackHandler) pCallbackHandler->StartDriverBackup(pDeviceProperty);
  // Outside a backup run the device gets a search of its own.
  TCatalogSearch ownCatalogs(m_devices);
  TDriverBackup backup(*this, m_devices, m_stopped, m_backupCatalogs ? *m_backupCatalogs : ownCatalogs);
  const TBackupOutcome outcome = backup.FindBackupDriverFiles(pDeviceProperty, data);
  if (pCallbackHandler) pCallbackHandler->FinishDriverBackup(pDeviceProperty, outcome == boBackedUp);
  return outcome;
}
