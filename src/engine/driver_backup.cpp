// Driver backup: the installed driver's files of each device into its own folder.
#include "engine/data_manager.h"

bool TDataManager::Backup(const TDriverMap& devices, TICallbackHandler* pCallbackHandler) {
  (void)devices;
  m_stopped = false;
  if (pCallbackHandler) pCallbackHandler->FinishBackup(false);
  return false;
}

bool TDataManager::Backup(TDeviceProperties& pDeviceProperty, TICallbackHandler* pCallbackHandler) {
  if (pCallbackHandler) pCallbackHandler->StartDriverBackup(pDeviceProperty);
  if (pCallbackHandler) pCallbackHandler->FinishDriverBackup(pDeviceProperty, false);
  return false;
}

void TDataManager::BackupCancel() { m_stopped = true; }
