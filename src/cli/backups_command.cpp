// qvcli backups: the backup folders that can be restored, one name a line.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "core/paths.h"

std::vector<std::string> BackupFolderNames(const std::string& backupRoot) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(ToPath(backupRoot), error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (it->is_directory(kindError)) names.push_back(FromPath(it->path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

int RunBackupsCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (!arguments.empty()) throw EQvError("usage: backups");
  TDriverDatamodel model(context.ports);
  for (const std::string& name : BackupFolderNames(model.BackupLocation())) context.out << name << "\n";
  return QVCLI_OK;
}
