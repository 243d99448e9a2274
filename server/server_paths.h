// Where the catalog and the store folder are, from the options every subcommand shares.
#pragma once

#include <filesystem>
#include <string>

#include "command_line.h"

namespace qvserver {

struct ServerPaths {
  std::string catalog;  // --catalog or --db, else QUORVANE_CATALOG, else "quorvane-catalog.db"
  std::filesystem::path store;  // --store; default "quorvane-store"
};

// catalog_from_environment is the value of QUORVANE_CATALOG, or null.
ServerPaths server_paths(const Arguments& args, const char* catalog_from_environment);

}  // namespace qvserver
