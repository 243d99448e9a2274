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
  std::vector<std::string> folders;
  bool allowUnverified = false;
  for (const std::string& argument : arguments) {
    if (argument == "--unverified" && !allowUnverified)
      allowUnverified = true;
    else if (argument.rfind("--", 0) == 0 || !folders.empty())
      throw EQvError("usage: restore FOLDER [--unverified]");
    else
      folders.push_back(argument);
  }
  if (folders.empty()) throw EQvError("usage: restore FOLDER [--unverified]");
  TDriverDatamodel model(context.ports);
  // A folder name as qvcli backups lists it, or a path.
  std::string folder = folders[0];
  std::error_code error;
  const std::string underRoot = JoinPath(model.BackupLocation(), folder);
  if (folder.find_first_of("\\/") == std::string::npos && std::filesystem::is_directory(ToPath(underRoot), error))
    folder = underRoot;
  if (!std::filesystem::is_directory(ToPath(folder), error)) throw EQvError("no backup folder '" + folders[0] + "'");

  TDataManager engine(model, context.ports);
  bool rebootRequired = false;
  switch (engine.Restore(folder, allowUnverified, rebootRequired)) {
    case roRestored:
      break;
    case roChanged:
      context.err << "This backup was changed after it was made and will not be restored.\n";
      return QVCLI_SERVER_PROBLEM;
    case roUnverified:
      context.err << "This backup was made by an older version and cannot be checked for changes; "
                     "restore it with --unverified to restore it anyway.\n";
      return QVCLI_SERVER_PROBLEM;
    case roFailed:
      context.err << "Driver could not be restored successfully.\n";
      return QVCLI_SERVER_PROBLEM;
  }
  context.out << "Driver restored.\n";
  if (rebootRequired) context.out << "Restart the computer to complete the installation.\n";
  return QVCLI_OK;
}
