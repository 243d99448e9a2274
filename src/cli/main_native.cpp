// qvcli for Linux: the engine on the simulated machine, with its data folder in
// QUORVANE_APPDATA (default: the current folder) and QUORVANE_SERVER=host[:port] as the
// simulated machine's server policy.
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"
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
  if (const char* server = std::getenv("QUORVANE_SERVER"))
    machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, server);
  return RunQvcli({argv + 1, argv + argc}, machine.Ports(), std::cout, std::cerr, &g_interrupted);
}
