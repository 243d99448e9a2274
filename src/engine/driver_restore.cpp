// Driver restore: the backup folder copied into a staging folder of the protected work
// area and checked there, then its driver installed again from the copies, forced, for
// the hardware id the copied "index.dat" names.
#include <fstream>
#include <iterator>

#include "core/paths.h"
#include "engine/backup_index.h"
#include "engine/backup_staging.h"
#include "engine/data_manager.h"
#include "engine/driver_backup_files.h"
#include "engine/staging_folder.h"
#include "platform/path_parts.h"

namespace {

// The index's longest text: a file name and a hardware id.
constexpr size_t MAX_INDEX_BYTES = 64 * 1024;

}  // namespace

TRestoreOutcome TDataManager::Restore(const std::string& restoreDir, bool allowUnverified, bool& rebootReq) {
  const TBackupTrust trust = BackupTrustOf(m_ports.registry, restoreDir);
  if (trust == btUnrecorded) return roChanged;
  if (trust == btUnverified && !allowUnverified) return roUnverified;

  const std::unique_ptr<TStagingFolder> staging = TStagingFolder::Create(m_ports.shell, m_ports.fileSystem);
  if (!staging) return roFailed;
  if (trust == btRecorded) {
    const std::optional<TBackupRecord> record = ReadBackupRecord(m_ports.registry, FileNameOfPath(restoreDir));
    if (!record) return roChanged;
    switch (StageRecordedBackup(m_ports.fileSystem, m_ports.hashing, *record, restoreDir, staging->Path())) {
      case sbStaged: break;
      case sbChanged: return roChanged;
      case sbFailed: return roFailed;
    }
  } else if (!StageUnverifiedBackup(m_ports.fileSystem, m_ports.hashing, restoreDir, staging->Path())) {
    return roFailed;
  }

  std::ifstream index(ToPath(JoinPath(staging->Path(), "index.dat")), std::ios::binary);
  if (!index) return roFailed;
  std::string bytes(MAX_INDEX_BYTES + 1, '\0');
  index.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(index.gcount()));
  if (bytes.size() > MAX_INDEX_BYTES) return roFailed;
  const std::optional<TBackupIndex> entry = ReadBackupIndex(bytes);
  if (!entry) return roFailed;
  rebootReq = false;  // this restore's own answer: InstallDriver only ever sets the flag
  return InstallDriver(entry->hardwareId, JoinPath(staging->Path(), entry->infName), rebootReq) == 0 ? roRestored : roFailed;
}

bool TDataManager::DeleteBackup(uintptr_t Awnd, const std::string& AFolder) {
  const bool recorded = BackupTrustOf(m_ports.registry, AFolder) == btRecorded;
  if (!DeleteFolder(Awnd, AFolder)) return false;
  if (recorded) ForgetBackupRecord(m_ports.registry, FileNameOfPath(AFolder));
  return true;
}
