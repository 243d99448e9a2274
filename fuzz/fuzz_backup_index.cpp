// Fuzzes ReadBackupIndex, the reader of a backup folder's "index.dat". Any bytes either
// name no INF, or a plain INF file name whose index, written again, reads back the same.
#include <cstdlib>
#include <string_view>

#include "engine/backup_index.h"
#include "platform/path_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto entry = ReadBackupIndex(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!entry) return 0;
  if (!IsPlainFileName(entry->infName)) std::abort();
  const std::vector<uint8_t> bytes = BackupIndexBytes(entry->infName, entry->hardwareId);
  const auto again = ReadBackupIndex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!again || again->infName != entry->infName || again->hardwareId != entry->hardwareId) std::abort();
  return 0;
}
