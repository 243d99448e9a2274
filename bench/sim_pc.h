// A simulated PC's device tree of any size, shared by the benchmarks.
#pragma once

#include <cstddef>
#include <string>

#include "platform/sim/sim_device_tree.h"

// The primary hardware id of the device numbered index.
std::string SimulatedPcHardwareId(size_t index);

// count devices like a PC's: a few classes, most devices present with an installed
// driver, two hardware ids and two compatible ids; every tenth device unplugged,
// every twentieth without a driver.
void AddSimulatedPcDevices(TSimDeviceTree& tree, size_t count);
