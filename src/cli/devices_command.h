// qvcli devices: the machine's device inventory, one device per line or as JSON.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system_ports.h"

int RunDevicesCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out);
