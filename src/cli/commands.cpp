#include "cli/commands.h"

#include <functional>
#include <map>
#include <ostream>

#include "cli/devices_command.h"
#include "cli/info_command.h"
#include "core/errors.h"

namespace {

struct TCommand {
  std::function<int(const std::vector<std::string>&, TSystemPorts, std::ostream&)> run;
  const char* usage;
};

const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = {
      {"devices", {RunDevicesCommand, "devices [--json]  the machine's devices: class, name, hardware id, driver, problem"}},
      {"info", {RunInfoCommand, "info              what the program knows of this machine and its settings"}},
  };
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "Usage: qvcli COMMAND [OPTIONS]\n\nCommands:\n";
  for (const auto& [name, command] : Commands()) out << "  " << command.usage << "\n";
  out << "\nExit codes: 0 success, 1 server problem, 2 stopped, 3 bad usage.\n";
}

}  // namespace

int RunQvcli(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out,
             std::ostream& err) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    PrintHelp(arguments.empty() ? err : out);
    return arguments.empty() ? QVCLI_USAGE : QVCLI_OK;
  }
  auto command = Commands().find(arguments[0]);
  if (command == Commands().end()) {
    err << "qvcli: unknown command '" << arguments[0] << "'\n";
    PrintHelp(err);
    return QVCLI_USAGE;
  }
  try {
    return command->second.run({arguments.begin() + 1, arguments.end()}, ports, out);
  } catch (const std::exception& error) {
    err << "qvcli: " << error.what() << "\n";
    return QVCLI_USAGE;
  }
}
