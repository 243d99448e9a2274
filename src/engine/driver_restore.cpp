// Driver restore: a backup folder's driver installed again.
#include "engine/data_manager.h"

bool TDataManager::Restore(const std::string& restoreDir, bool& rebootReq) {
  (void)restoreDir;
  (void)rebootReq;
  return false;
}
