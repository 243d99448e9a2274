// qvcli for Linux: the engine on the simulated machine, with its data folder in
// QUORVANE_APPDATA (default: the current folder) and QUORVANE_SERVER=host[:port] as the
// simulated machine's server policy; the protected work area under QUORVANE_PROGRAMDATA
// (default: "ProgramData" in the data folder).
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/commands.h"
#include "core/paths.h"
#include "core/server_policy.h"
#include "platform/sim/demo_device_tree.h"
#include "platform/sim/demo_smbios_table.h"
#include "platform/sim/sim_machine.h"

namespace {

// A signal handler takes no context, so the flag it sets lives here.
std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
  TSimMachine machine;
  AddDemoDevices(machine.devices);
  machine.firmware.rawSmbios = DemoSmbiosTable();
  const char* appData = std::getenv("QUORVANE_APPDATA");
  machine.shell.appDataFolder = appData ? appData : ".";
  // The machine's program-data folder, where the protected work area is made.
  const char* programData = std::getenv("QUORVANE_PROGRAMDATA");
  machine.shell.programDataFolder = programData ? programData : JoinPath(machine.shell.appDataFolder, "ProgramData");
  std::error_code ignored;
  std::filesystem::create_directories(ToPath(machine.shell.programDataFolder), ignored);
  if (const char* server = std::getenv("QUORVANE_SERVER"))
    machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, server);
  return RunQvcli({argv + 1, argv + argc}, machine.Ports(), std::cout, std::cerr, &g_interrupted);
}
