// Simulated device lists for the backup tree's benchmarks: a PC's devices
// spread over two dozen setup classes, named in no particular order.
#pragma once

#include <cstddef>

#include "core/device_list.h"
#include "platform/locale.h"

// count devices over the classes; every tenth unplugged.
TDeviceList SimulatedBackupDevices(size_t count, ILocale& locale);
