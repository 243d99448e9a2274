#include "cli/remove_data_command.h"

#include <ostream>

#include "cli/commands.h"
#include "core/data_folder_removal.h"
#include "core/errors.h"

namespace {

const char* Said(TDataRemovalOutcome outcome) {
  switch (outcome) {
    case droRemoved: return "Removed";
    case droAbsent: return "Not there";
    case droLeftAlone: return "Left alone, not a folder (a link or a file)";
    case droRefused: return "Refused, not a place for the program's data";
    case droFailed: return "Could not be removed completely";
  }
  return "";
}

}  // namespace

// Works from the ports alone: the data model would read config.ini and make the folders again.
int RunRemoveDataCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out) {
  if (!arguments.empty()) throw EQvError("usage: remove-data");
  const std::vector<TDataFolderRemoval> removals = RemoveProgramDataFolders(ports.fileSystem, ports.shell);
  for (const TDataFolderRemoval& removal : removals)
    out << Said(removal.outcome) << ": " << (removal.folder.empty() ? "(none named)" : removal.folder) << "\n";
  return AllDataRemoved(removals) ? QVCLI_OK : QVCLI_SERVER_PROBLEM;
}
