// Driver restore: the driver of a backup folder installed again, forced, for the
// hardware id its "index.dat" names.
#include <fstream>
#include <iterator>

#include "core/paths.h"
#include "engine/backup_index.h"
#include "engine/data_manager.h"

bool TDataManager::Restore(const std::string& restoreDir, bool& rebootReq) {
  std::ifstream index(ToPath(JoinPath(restoreDir, "index.dat")), std::ios::binary);
  if (!index) return false;
  const std::string bytes((std::istreambuf_iterator<char>(index)), {});
  const std::optional<TBackupIndex> entry = ReadBackupIndex(bytes);
  if (!entry) return false;
  rebootReq = false;  // this restore's own answer: InstallDriver only ever sets the flag
  return InstallDriver(entry->hardwareId, JoinPath(restoreDir, entry->infName), rebootReq) == 0;
}
