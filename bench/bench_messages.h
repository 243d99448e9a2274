// Realistic 400-device messages for the benchmark: the scan request, the scan
// answer and the stored scan result.
#pragma once

#include "proto/driver_messages.h"
#include "proto/sysinfo_messages.h"

constexpr int BENCH_DEVICES = 400;

TDrivers MakeScanRequest();
TDrivers MakeScanAnswer();
TSysInfo MakeStoredScanResult();
