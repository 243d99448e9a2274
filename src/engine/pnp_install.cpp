// The Plug and Play installer on one INF file, forced over the installed driver.
#include "engine/data_manager.h"

uint32_t TDataManager::InstallDriver(const std::string& AhwID, const std::string& AinfPath, bool& ArebootRequired) {
  bool reboot = false;
  bool installed = m_devices.UpdateDriverForPlugAndPlayDevices(AhwID, AinfPath, INSTALLFLAG_FORCE, &reboot);
  // The port reports ERROR_DLL_INIT_FAILED itself when newdev.dll or its function is missing;
  // the reboot flag is the function's own, so it is taken only from a call that ran.
  // It is the run's flag: set by any call, never cleared by a later one.
  uint32_t error = installed ? ERROR_SUCCESS : m_devices.LastError();
  if (error != ERROR_DLL_INIT_FAILED && reboot) ArebootRequired = true;
  if (installed) return ERROR_SUCCESS;
  // A failure that set no code still must not read as success.
  return error == ERROR_SUCCESS ? ERROR_INVALID_PARAMETER : error;
}
