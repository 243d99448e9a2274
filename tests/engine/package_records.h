// Packages recorded as the download run records them once the server has confirmed them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/package_record.h"
#include "platform/path_parts.h"
#include "platform/sim/sim_machine.h"

// Records the file as the confirmed package of driverId, under HKLM of the simulated machine.
inline void RecordPackage(TSimMachine& machine, const std::string& driverId, const std::string& path) {
  const std::unique_ptr<IOpenFile> file = machine.fileSystem.OpenFile(path, fomReadDenyWriters);
  ASSERT_NE(file, nullptr) << path;
  const std::optional<TPackageRecord> record = MeasurePackage(machine.hashing, *file, FileNameOfPath(path));
  ASSERT_TRUE(record.has_value()) << path;
  ASSERT_TRUE(StorePackageRecord(machine.registry, driverId, *record));
}
