#include "cli/info_command.h"

#include <ostream>

#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"

int RunInfoCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out) {
  if (!arguments.empty()) throw EQvError("info takes no arguments");
  TDriverDatamodel model(ports);
  auto yesNo = [](bool value) { return value ? "yes" : "no"; };
  out << "Operating system:   " << model.OSDescription() << "\n"
      << "Version (server):   " << model.OSVersion() << "\n"
      << "Architecture:       " << model.OSArch() << "\n"
      << "Data folder:        " << model.AppDir() << "\n"
      << "Backup folder:      " << model.BackupLocation() << "\n"
      << "Download folder:    " << model.DownloadLocation() << "\n"
      << "Driver server:      " << model.ServerURL() << ":" << model.ServerPort() << "\n"
      << "Proxy:              "
      << (model.ProxyEnabled() ? model.ProxyURL() + ":" + std::to_string(model.ProxyPort()) : "off") << "\n"
      << "Check for updates:  " << yesNo(model.CheckForUpdate()) << "\n"
      << "Start at logon:     " << yesNo(model.StartatLogin()) << "\n"
      << "Scan at start:      " << yesNo(model.RunScanAtStart()) << "\n"
      << "Splash window:      " << yesNo(model.ShowSplash()) << "\n"
      << "Unplugged devices:  " << yesNo(model.ShowUnplugged()) << "\n"
      << "Restore points:     " << yesNo(model.UseRestorePoints()) << "\n"
      << "Windows driver updates: " << yesNo(model.WindowsDriverUpdates()) << "\n"
      << "Language:           " << model.Language() << "\n"
      << "Devices in last scan: " << model.DeviceCount() << "\n";
  return QVCLI_OK;
}
