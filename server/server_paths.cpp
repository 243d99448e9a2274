// Where the catalog and the store folder are, from the options every subcommand shares.
#include "server_paths.h"

namespace qvserver {

ServerPaths server_paths(const Arguments& args) {
  return {args.get("catalog").value_or(args.get_or("db", "quorvane-catalog.db")),
          args.get_or("store", "quorvane-store")};
}

}  // namespace qvserver
