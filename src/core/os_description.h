// The operating system as the program describes it: the text shown to the user,
// and the version and architecture texts sent to the server.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_version.h"

struct TOsDescription {
  std::string description;   // "Windows 10 Professional 64 bit"
  std::string version;       // "10.0.0"
  std::string architecture;  // "x86", "amd64", "arm32", "arm86" or empty
};

TOsDescription DescribeOperatingSystem(IOsVersion& os);

// The product name of a version; workstation false means a server.
std::string ProductName(const TOsVersionNumbers& version, bool workstation, bool serverR2,
                        uint16_t processorArchitecture);
// The edition text of a GetProductInfo product type; empty for one not in the table.
std::string EditionText(uint32_t productType);
