// qvcli's scan commands: scan, list, ignore, include and check-update.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_context.h"

int RunScanCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunListCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunIgnoreCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunIncludeCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunCheckUpdateCommand(const std::vector<std::string>& arguments, const TCliContext& context);
