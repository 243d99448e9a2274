// Where the catalog and the store folder are, from the options every subcommand shares.
#pragma once

#include <filesystem>
#include <string>

#include "command_line.h"

namespace qvserver {

struct ServerPaths {
  std::string catalog;  // --catalog or --db; default "quorvane-catalog.db"
  std::filesystem::path store;  // --store; default "quorvane-store"
};

ServerPaths server_paths(const Arguments& args);

}  // namespace qvserver
