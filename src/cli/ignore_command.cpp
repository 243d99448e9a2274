// qvcli ignore and include: change the ignore marks of the stored scan result.
#include <ostream>

#include "cli/commands.h"
#include "cli/scan_commands.h"
#include "core/data_model.h"
#include "core/errors.h"

namespace {

int ChangeIgnoreMarks(const std::vector<std::string>& arguments, const TCliContext& context, bool ignore) {
  const char* usage = ignore ? "ignore HID... [--same-name|--all]" : "include HID... [--same-name|--all]";
  TignoreType reach = deviSingle;
  std::vector<std::string> hardwareIds;
  for (const std::string& argument : arguments) {
    if (argument == "--same-name" || argument == "--all") {
      if (reach != deviSingle) throw EQvError(std::string("usage: ") + usage);
      reach = argument == "--all" ? deviAll : deviSameName;
    } else if (argument.rfind("--", 0) == 0) {
      throw EQvError(std::string("usage: ") + usage);
    } else {
      hardwareIds.push_back(argument);
    }
  }
  if (hardwareIds.empty()) throw EQvError(std::string("usage: ") + usage);

  TDriverDatamodel model(context.ports);
  for (const std::string& hardwareId : hardwareIds) {
    TDeviceProperties* device = model.GetDevice(hardwareId);
    if (!device) throw EQvError("no device with the hardware id '" + hardwareId + "' in the last scan");
    if (ignore)
      model.ExcludeDevice(*device, reach);
    else
      model.IncludeDevice(*device, reach);
    context.out << (ignore ? "Ignored: " : "Included: ") << device->strName << " (" << device->strHID << ")\n";
  }
  model.DumpScanResults();
  return QVCLI_OK;
}

}  // namespace

int RunIgnoreCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  return ChangeIgnoreMarks(arguments, context, true);
}

int RunIncludeCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  return ChangeIgnoreMarks(arguments, context, false);
}
