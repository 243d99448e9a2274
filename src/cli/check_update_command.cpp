// qvcli check-update: asks the driver server whether a newer program version exists.
#include <ostream>

#include "cli/commands.h"
#include "cli/scan_commands.h"
#include "core/errors.h"
#include "engine/data_manager.h"

int RunCheckUpdateCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (!arguments.empty()) throw EQvError("check-update takes no arguments");
  TDriverDatamodel model(context.ports);
  TDataManager engine(model, context.ports);
  const std::string newer = engine.CheckSoftwareUpdate();
  if (newer.empty())
    context.out << "No newer version of " << model.GetAppName() << " is offered.\n";
  else
    context.out << "A newer version of " << model.GetAppName() << " is available: " << newer << "\n";
  return QVCLI_OK;
}
