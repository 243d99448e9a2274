// Where the catalog and the store folder are, from the options every subcommand shares.
#include "server_paths.h"

namespace qvserver {

ServerPaths server_paths(const Arguments& args, const char* catalog_from_environment) {
  std::string fallback = catalog_from_environment && *catalog_from_environment ? catalog_from_environment
                                                                                 : "quorvane-catalog.db";
  return {args.get("catalog").value_or(args.get_or("db", fallback)),
          args.get_or("store", "quorvane-store")};
}

}  // namespace qvserver
