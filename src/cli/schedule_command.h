// qvcli schedule: the logon tasks and the scheduled scan; changing the scan's cycle.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_context.h"

int RunScheduleCommand(const std::vector<std::string>& arguments, const TCliContext& context);
