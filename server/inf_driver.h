// What the catalog needs from one INF file: DriverVer, provider, class and the hardware
// ids its model sections serve, per architecture and range of OS versions.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "driver_version.h"
#include "inf_file.h"

namespace qvserver {

constexpr int kNoUpperBound = INT_MAX;

// One hardware id served on an architecture for OS versions in [os_min, os_max).
struct InfTarget {
  std::string hardware_id;
  std::string architecture;
  int os_min = 0;
  int os_max = kNoUpperBound;
};

struct InfDriver {
  std::string provider;
  std::string class_name;
  std::string date;  // "yyyy-MM-dd"
  DriverVersion version;
  std::vector<InfTarget> targets;
};

// Raises ImportError (package_error.h) when DriverVer is missing or malformed or when no
// model section lists a hardware id. For each manufacturer line and architecture the
// decorated section with the highest OS version not above the caller's applies, as
// Windows chooses it; the bare section is the x86 fallback.
InfDriver read_inf_driver(const InfFile& inf);

}  // namespace qvserver
