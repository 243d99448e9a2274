#include "engine/backup_index.h"

#include "platform/path_parts.h"
#include "platform/utf16le.h"

std::vector<uint8_t> BackupIndexBytes(const std::string& infName, const std::string& hardwareId) {
  return Utf16LeBytes(Utf8ToUtf16("\\" + infName + ":" + hardwareId));
}

std::optional<TBackupIndex> ReadBackupIndex(std::string_view bytes) {
  const std::u16string units = Utf16LeUnits(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const size_t colon = units.find(u':');
  if (colon == std::u16string::npos || colon == 0 || units.front() != u'\\') return std::nullopt;
  TBackupIndex index{Utf16ToUtf8(units.data() + 1, colon - 1),
                     Utf16ToUtf8(units.data() + colon + 1, units.size() - colon - 1)};
  if (!IsPlainFileName(index.infName)) return std::nullopt;
  return index;
}
