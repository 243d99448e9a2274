// qvcli's driver download and restore point commands.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_context.h"

int RunDownloadCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunRestorePointCommand(const std::vector<std::string>& arguments, const TCliContext& context);
