// qvcli backup: the backup run on devices of the stored scan result, into the
// backup location or the folder given with --to, on a worker thread that Ctrl+C stops.
#include <filesystem>
#include <system_error>

#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "cli/install_commands.h"
#include "core/errors.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "ui/callback_relay.h"
#include "ui/plain_loop.h"

namespace {

constexpr const char* BACKUP_USAGE = "backup HID... [--to DIR]";

}  // namespace

int RunBackupCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  std::vector<std::string> ids;
  std::string target;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--to") {
      if (i + 1 >= arguments.size() || !target.empty()) throw EQvError(std::string("usage: ") + BACKUP_USAGE);
      target = arguments[++i];
    } else {
      ids.push_back(arguments[i]);
    }
  }
  TDriverDatamodel model(context.ports);
  const TDriverMap devices = PickDevices(model, ids, BACKUP_USAGE);

  // --to is this run's location only: the settings keep their own, and note the
  // folder as the last backup location.
  const std::string savedLocation = model.BackupLocation();
  if (!target.empty()) {
    std::error_code created;
    std::filesystem::create_directories(ToPath(target), created);
    model.SetBackupLocation(target);
  }

  std::error_code error;
  if (!std::filesystem::is_directory(ToPath(model.BackupLocation()), error))
    context.err << "The backup location " << model.BackupLocation() << " does not exist.\n";

  TDataManager engine(model, context.ports);
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TConsoleBackupView view(context.out, context.err);
  TCallbackRelay handler(dispatcher, view);
  context.out << "Backing up " << devices.size() << " drivers to " << model.BackupLocation() << std::endl;
  bool result = false;
  const bool stopAsked = RunWithConsole(
      context, loop, [&] { result = engine.Backup(devices, &handler); },
      [&] {
        handler.CancelBackup();
        engine.BackupCancel();
      });
  dispatcher.Shutdown();
  if (!target.empty()) {
    model.SetBackupLocation(savedLocation);
    model.DumpSettings();
  }
  if (stopAsked) return QVCLI_STOPPED;
  return result ? QVCLI_OK : QVCLI_SERVER_PROBLEM;
}
