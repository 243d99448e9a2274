// qvcli for Linux: the engine on the simulated machine, with its data folder in
// QUORVANE_APPDATA (default: the current folder).
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"
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
  return RunQvcli({argv + 1, argv + argc}, machine.Ports(), std::cout, std::cerr, &g_interrupted);
}
