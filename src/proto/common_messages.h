// The small messages embedded in the scan request, the scan answer and the
// stored scan result: one compatible id, one hardware id, the operating system.
#pragma once

#include <string>

struct TCompatibleID {
  std::string Fcompatid;  // field 1
};

struct TDeviceID {
  std::string Fdeviceid;  // field 1
};

struct TOperatingSystem {
  std::string Fname;          // field 1, "Windows"
  std::string Fversion;       // field 2, such as "10.0.0"
  std::string Farchitecture;  // field 3, "x86", "amd64", "arm32" or "arm86"
};
