// A recorded package copied from the user-writable download folder into a staging folder
// of the work area, and checked again from the copy: the install run uses only the copy.
#include "core/paths.h"
#include "engine/data_manager.h"
#include "engine/staging_folder.h"

std::string TDataManager::StagePackage(IOpenFile& held, const std::string& driverId, const std::string& stagingFolder) {
  const std::optional<TPackageRecord> recorded = ReadPackageRecord(m_ports.registry, driverId);
  if (!recorded) return {};
  const std::string copy = JoinPath(stagingFolder, recorded->fileName);
  const std::optional<TPackageRecord> staged = CopyAndMeasure(m_ports.fileSystem, m_ports.hashing, held, copy);
  return staged && *staged == *recorded ? copy : std::string();
}
