// qvcli backups: the backup folders that can be restored, one name a line.
#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "engine/backup_folders.h"

int RunBackupsCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (!arguments.empty()) throw EQvError("usage: backups");
  TDriverDatamodel model(context.ports);
  for (const std::string& name : BackupFolderNames(model.BackupLocation())) context.out << name << "\n";
  return QVCLI_OK;
}
