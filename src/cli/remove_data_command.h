// qvcli remove-data: the uninstaller's removal of the user's settings and driver backups.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system_ports.h"

int RunRemoveDataCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out);
