// A small demonstration machine for the native qvcli: a few classes and devices,
// present and unplugged, with and without drivers.
#pragma once

#include "platform/sim/sim_device_tree.h"

void AddDemoDevices(TSimDeviceTree& tree);
