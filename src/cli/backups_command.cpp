// qvcli backups: the backup folders that can be restored, one name a line; one made
// before backups had manifests and records is marked "unverified" after a tab.
#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "core/paths.h"
#include "engine/backup_folders.h"
#include "engine/backup_staging.h"

int RunBackupsCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (!arguments.empty()) throw EQvError("usage: backups");
  TDriverDatamodel model(context.ports);
  const std::string root = model.BackupLocation();
  for (const std::string& name : BackupFolderNames(root)) {
    context.out << name;
    if (BackupTrustOf(context.ports.registry, JoinPath(root, name)) == btUnverified) context.out << "\tunverified";
    context.out << "\n";
  }
  return QVCLI_OK;
}
