// qvcli restore: a backup folder's driver installed again.
#include <filesystem>
#include <system_error>

#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "core/paths.h"
#include "engine/data_manager.h"

int RunRestoreCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (arguments.size() != 1 || arguments[0].rfind("--", 0) == 0) throw EQvError("usage: restore FOLDER");
  TDriverDatamodel model(context.ports);
  // A folder name as qvcli backups lists it, or a path.
  std::string folder = arguments[0];
  std::error_code error;
  const std::string underRoot = JoinPath(model.BackupLocation(), folder);
  if (folder.find_first_of("\\/") == std::string::npos && std::filesystem::is_directory(ToPath(underRoot), error))
    folder = underRoot;
  if (!std::filesystem::is_directory(ToPath(folder), error)) throw EQvError("no backup folder '" + arguments[0] + "'");

  TDataManager engine(model, context.ports);
  bool rebootRequired = false;
  if (!engine.Restore(folder, rebootRequired)) {
    context.err << "Driver could not be restored successfully.\n";
    return QVCLI_SERVER_PROBLEM;
  }
  context.out << "Driver restored.\n";
  if (rebootRequired) context.out << "Restart the computer to complete the installation.\n";
  return QVCLI_OK;
}
