#include "cli/commands.h"

#include <functional>
#include <map>
#include <ostream>

#include "cli/backup_commands.h"
#include "cli/devices_command.h"
#include "cli/download_commands.h"
#include "cli/info_command.h"
#include "cli/install_commands.h"
#include "cli/remove_data_command.h"
#include "cli/scan_commands.h"
#include "cli/schedule_command.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "core/server_policy.h"

namespace {

using TCommandRun = std::function<int(const std::vector<std::string>&, const TCliContext&)>;

struct TCommand {
  TCommandRun run;
  const char* synopsis;  // the command with its arguments
  const char* description;
};

// A command that needs only the machine and the standard output.
TCommandRun OnMachine(int (*run)(const std::vector<std::string>&, TSystemPorts, std::ostream&)) {
  return [run](const std::vector<std::string>& arguments, const TCliContext& context) {
    return run(arguments, context.ports, context.out);
  };
}

const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = {
      {"backup", {RunBackupCommand, "backup HID... [--to DIR]", "back up the installed drivers of the last scan's devices"}},
      {"backups", {RunBackupsCommand, "backups", "the backup folders that can be restored; one made before backups were\n"
                                               "      checked is marked \"unverified\" after a tab"}},
      {"check-update", {RunCheckUpdateCommand, "check-update", "ask the driver server for a newer program version"}},
      {"devices", {OnMachine(RunDevicesCommand), "devices [--json]", "the machine's devices: class, name, hardware id, driver, problem"}},
      {"download", {RunDownloadCommand, "download HID...", "fetch the offered driver packages of the last scan's devices"}},
      {"ignore", {RunIgnoreCommand, "ignore HID... [--same-name|--all]", "ignore a device's offers (same id and name, or same id)"}},
      {"include", {RunIncludeCommand, "include HID... [--same-name|--all]", "show an ignored device's offers again"}},
      {"install", {RunInstallCommand, "install HID...", "back up, then install the downloaded packages of the last scan's devices"}},
      {"info", {OnMachine(RunInfoCommand), "info [--json] [--smbios FILE|--save-smbios FILE]",
                "what the program knows of this machine and its settings; the rows of a saved SMBIOS table;\n"
                "      the machine's SMBIOS table saved to a file"}},
      {"list", {RunListCommand, "list [--outdated|--uptodate|--ignored] [--json]", "the stored scan result"}},
      {"remove-data", {OnMachine(RunRemoveDataCommand), "remove-data",
                       "remove the program's data folders (in the user's application data and in program data)\n"
                       "      with the settings, downloads and driver backups, never following a link; the uninstaller runs it"}},
      {"update", {RunUpdateCommand, "update HID...", "download, back up and install the offered drivers of the last scan's devices"}},
      {"restore-point", {RunRestorePointCommand, "restore-point \"description\"", "create a System Restore point"}},
      {"restore", {RunRestoreCommand, "restore FOLDER [--unverified]",
                   "install the driver of a backup folder again (a name from backups, or a path);\n"
                   "      --unverified restores one made before backups were checked"}},
      {"uninstall", {RunUninstallCommand, "uninstall HID", "remove the device whose first hardware id is HID"}},
      {"schedule", {RunScheduleCommand, "schedule [daily DATE TIME|weekly DAYS DATE TIME|once DATE TIME|never]",
                    "the logon tasks and the scheduled scan; a new cycle for the scan (DATE yyyy-mm-dd,\n"
                    "      TIME hh:mm[:ss], DAYS like mon,fri) or none"}},
      {"scan", {RunScanCommand, "scan", "scan the machine, check with the driver server, store the result"}},
  };
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "Usage: qvcli COMMAND [OPTIONS]\n\nCommands:\n";
  for (const auto& [name, command] : Commands())
    out << "  " << command.synopsis << "\n      " << command.description << "\n";
  out << "\nThe driver server is the built-in one, or host[:port] of the policy value \"Server\" under\n"
         "HKLM\\SOFTWARE\\Policies\\Quorvane (natively: QUORVANE_SERVER=host[:port]).\n"
         "Exit codes:\n"
         "  0  success\n"
         "  1  failure: no answer or an error answer from the server, or a failed scan, download,\n"
         "     install, backup, restore, device removal or schedule change; data left by remove-data\n"
         "  2  stopped: Ctrl+C during a scan's enumeration, a download, an install or a backup\n"
         "  3  bad usage, or an unknown hardware id\n";
}

}  // namespace

int RunQvcli(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out, std::ostream& err,
             const std::atomic<bool>* interrupted) {
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
  // Said every time: a plain server's answers, checksum confirmations included, can be forged on the way.
  const std::optional<TServerAddress> policy = ServerPolicy(ports.registry, QV_SERVER_PORT);
  if (policy && policy->tls == false)
    err << "qvcli: the Server policy names a plain http:// server (" << policy->host << ":" << policy->port
        << "): its exchanges and packages are not encrypted\n";
  try {
    const TCliContext context{ports, out, err, interrupted};
    return command->second.run({arguments.begin() + 1, arguments.end()}, context);
  } catch (const std::exception& error) {
    err << "qvcli: " << error.what() << "\n";
    return QVCLI_USAGE;
  }
}
