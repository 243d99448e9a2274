// qvcli info: the operating-system description, data folder and settings.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system_ports.h"

int RunInfoCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out);
