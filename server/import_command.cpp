// "quorvane-server import [--inf FILE] PACKAGE…": adds driver packages to the catalog.
#include "commands.h"

#include <cstdlib>

#include "catalog.h"
#include "package_error.h"
#include "package_import.h"
#include "server_paths.h"

namespace qvserver {

int run_import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed = parse_arguments(args, {"catalog", "db", "store", "inf"});
  if (parsed.positional.empty()) throw UsageError("import needs at least one package");
  auto inf = parsed.get("inf");
  if (inf && parsed.positional.size() != 1) throw UsageError("--inf describes exactly one package");
  ServerPaths paths = server_paths(parsed, std::getenv("QUORVANE_CATALOG"));
  Catalog catalog(paths.catalog);

  int failures = 0;
  for (const auto& package : parsed.positional) {
    try {
      auto result = import_package(catalog, paths.store, package,
                                   inf ? std::optional<std::filesystem::path>(*inf) : std::nullopt);
      out << package << ": " << (result.already_present ? "already in the catalog as driver id " : "driver id ")
          << result.package.id << ", " << result.driver_count << " INF, " << result.hardware_id_count
          << " hardware ids, " << result.package.size_kb << " KB, md5 " << result.package.md5 << "\n";
    } catch (const ImportError& error) {
      err << "import failed: " << error.what() << "\n";
      ++failures;
    } catch (const CatalogError& error) {
      err << "import failed: " << package << ": " << error.what() << "\n";
      ++failures;
    } catch (const std::filesystem::filesystem_error& error) {
      err << "import failed: " << package << ": " << error.what() << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace qvserver
