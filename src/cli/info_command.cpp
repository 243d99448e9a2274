#include "cli/info_command.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <utility>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "core/paths.h"
#include "sysinfo/no_hardware_facts.h"
#include "sysinfo/smbios_source.h"
#include "ui/sysinfo_presenter.h"

namespace {

constexpr const char* USAGE = "info takes --json, --smbios FILE or --save-smbios FILE";

struct TInfoOptions {
  bool json = false;
  std::string smbiosFile;      // decode this saved table instead of the machine's
  std::string saveSmbiosFile;  // save the machine's table there
};

TInfoOptions ParseOptions(const std::vector<std::string>& arguments) {
  TInfoOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json") {
      options.json = true;
    } else if ((argument == "--smbios" || argument == "--save-smbios") && i + 1 < arguments.size()) {
      (argument == "--smbios" ? options.smbiosFile : options.saveSmbiosFile) = arguments[++i];
    } else {
      throw EQvError(USAGE);
    }
  }
  if (!options.smbiosFile.empty() && !options.saveSmbiosFile.empty()) throw EQvError(USAGE);
  if (!options.saveSmbiosFile.empty() && options.json) throw EQvError(USAGE);
  return options;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream file(ToPath(path), std::ios::binary);
  if (!file) throw EQvError("cannot open \"" + path + "\"");
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(ToPath(path), std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw EQvError("cannot write \"" + path + "\"");
}

void PrintRows(const std::vector<TSysInfoRow>& rows, std::ostream& out) {
  size_t width = 0;
  for (const TSysInfoRow& row : rows) width = std::max(width, row.caption.size());
  for (const TSysInfoRow& row : rows)
    out << row.caption << ":" << std::string(width + 2 - row.caption.size(), ' ') << row.value << "\n";
}

std::string JsonRows(const std::vector<TSysInfoRow>& rows) {
  std::string text = "[";
  for (size_t i = 0; i < rows.size(); ++i)
    text += std::string(i ? "," : "") + "\n    {\"caption\": " + JsonText(rows[i].caption) +
            ", \"value\": " + JsonText(rows[i].value) + "}";
  return text + (rows.empty() ? "]" : "\n  ]");
}

void PrintMachine(TDriverDatamodel& model, const std::vector<TSysInfoRow>& rows, std::ostream& out) {
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
      << "Devices in last scan: " << model.DeviceCount() << "\n\n";
  PrintRows(rows, out);
}

void PrintMachineJson(TDriverDatamodel& model, const std::vector<TSysInfoRow>& rows, std::ostream& out) {
  auto flag = [](bool value) { return value ? "true" : "false"; };
  out << "{\n  \"operatingSystem\": " << JsonText(model.OSDescription())
      << ",\n  \"version\": " << JsonText(model.OSVersion()) << ",\n  \"architecture\": " << JsonText(model.OSArch())
      << ",\n  \"dataFolder\": " << JsonText(model.AppDir())
      << ",\n  \"backupFolder\": " << JsonText(model.BackupLocation())
      << ",\n  \"downloadFolder\": " << JsonText(model.DownloadLocation())
      << ",\n  \"server\": " << JsonText(model.ServerURL() + ":" + std::to_string(model.ServerPort()))
      << ",\n  \"proxy\": "
      << (model.ProxyEnabled() ? JsonText(model.ProxyURL() + ":" + std::to_string(model.ProxyPort())) : "null")
      << ",\n  \"checkForUpdates\": " << flag(model.CheckForUpdate())
      << ",\n  \"startAtLogon\": " << flag(model.StartatLogin())
      << ",\n  \"scanAtStart\": " << flag(model.RunScanAtStart())
      << ",\n  \"splashWindow\": " << flag(model.ShowSplash())
      << ",\n  \"unpluggedDevices\": " << flag(model.ShowUnplugged())
      << ",\n  \"restorePoints\": " << flag(model.UseRestorePoints())
      << ",\n  \"windowsDriverUpdates\": " << flag(model.WindowsDriverUpdates())
      << ",\n  \"language\": " << model.Language() << ",\n  \"devicesInLastScan\": " << model.DeviceCount()
      << ",\n  \"systemInformation\": " << JsonRows(rows) << "\n}\n";
}

// The rows of a saved table alone: the machine's processor, memory and OS facts are
// not asked, so the same file gives the same rows on every machine.
int PrintSavedTable(const TInfoOptions& options, TSystemPorts ports, std::ostream& out) {
  const TSMBios smbios(ParseRawSmbiosData(ReadFileBytes(options.smbiosFile)), ports.locale);
  TNoHardwareFacts noHardware;
  const std::string noOs;
  TSystemInfo info(ports.firmware, noHardware, ports.locale, noOs);
  info.Collect(smbios);
  const auto rows = SysInfoRows(info, ports.strings, ports.locale.DecimalSeparator());
  if (options.json)
    out << "{\n  \"systemInformation\": " << JsonRows(rows) << "\n}\n";
  else
    PrintRows(rows, out);
  return QVCLI_OK;
}

int SaveMachineTable(const TInfoOptions& options, TSystemPorts ports, std::ostream& out) {
  const TRawSMBIOSData table = ReadLocalSmbiosTable(ports.firmware);
  if (table.Length == 0) throw EQvError("this machine gives no SMBIOS table");
  WriteFileBytes(options.saveSmbiosFile, RawSmbiosDataBytes(table));
  out << "SMBIOS " << int{table.SMBIOSMajorVersion} << "." << int{table.SMBIOSMinorVersion} << " table of "
      << table.Length << " bytes saved to " << options.saveSmbiosFile << "\n";
  return QVCLI_OK;
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out) {
  const TInfoOptions options = ParseOptions(arguments);
  if (!options.smbiosFile.empty()) return PrintSavedTable(options, ports, out);
  if (!options.saveSmbiosFile.empty()) return SaveMachineTable(options, ports, out);
  TDriverDatamodel model(ports);
  const auto rows = SysInfoRows(model.SysInfo(), ports.strings, ports.locale.DecimalSeparator());
  if (options.json)
    PrintMachineJson(model, rows, out);
  else
    PrintMachine(model, rows, out);
  return QVCLI_OK;
}
