// Driver restore: the driver of a backup folder installed again, forced, for the
// hardware id its "index.dat" names.
#include <fstream>
#include <iterator>

#include "core/paths.h"
#include "engine/data_manager.h"
#include "engine/driver_backup_files.h"
#include "platform/utf16le.h"

bool TDataManager::Restore(const std::string& restoreDir, bool& rebootReq) {
  std::ifstream index(ToPath(JoinPath(restoreDir, "index.dat")), std::ios::binary);
  if (!index) return false;
  const std::string bytes((std::istreambuf_iterator<char>(index)), {});
  const std::u16string units = Utf16LeUnits(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());

  // "\oem12.inf:hardware id"; the INF must be a file directly in the folder.
  const size_t colon = units.find(u':');
  if (colon == std::u16string::npos || colon == 0) return false;
  const std::string infPart = Utf16ToUtf8(units.data(), colon);
  const std::string hardwareId = Utf16ToUtf8(units.data() + colon + 1, units.size() - colon - 1);
  if (infPart.front() != '\\') return false;
  const std::string infName = infPart.substr(1);
  if (!IsPlainFileName(infName)) return false;
  rebootReq = false;  // this restore's own answer: InstallDriver only ever sets the flag
  return InstallDriver(hardwareId, JoinPath(restoreDir, infName), rebootReq) == 0;
}
