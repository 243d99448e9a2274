// qvcli info: the operating-system description, data folder and settings, and the
// system-information rows; or the rows of a saved SMBIOS table; or the machine's
// table saved to a file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system_ports.h"

int RunInfoCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out);
