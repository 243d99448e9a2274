// qvcli uninstall: removes the device whose first hardware id is the one given.
#include "cli/backup_commands.h"
#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "engine/data_manager.h"

int RunUninstallCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (arguments.size() != 1 || arguments[0].rfind("--", 0) == 0) throw EQvError("usage: uninstall HID");
  TDriverDatamodel model(context.ports);
  TDataManager engine(model, context.ports);
  bool rebootRequired = false;
  if (!engine.UninstallDevice(arguments[0], rebootRequired)) {
    context.err << "No device whose first hardware id is '" << arguments[0] << "' could be removed.\n";
    return QVCLI_SERVER_PROBLEM;
  }
  context.out << "Device removed: " << arguments[0] << "\n";
  if (rebootRequired) context.out << "Restart the computer to complete the removal.\n";
  return QVCLI_OK;
}
