// "quorvane-server demo-catalog [--version V] [--date yyyy-MM-dd] [--ids-file FILE] HWID…":
// builds one demo package per hardware id and imports it.
#include "commands.h"

#include <cstdlib>
#include <fstream>

#include "ascii_text.h"
#include "catalog.h"
#include "demo_packages.h"
#include "package_import.h"
#include "scratch_folder.h"
#include "server_paths.h"

namespace qvserver {

namespace {

std::vector<std::string> ids_from_file(const std::string& file) {
  std::ifstream in(file);
  if (!in) throw UsageError("cannot read " + file);
  std::vector<std::string> ids;
  for (std::string line; std::getline(in, line);) {
    auto id = trim(line);
    if (!id.empty() && id.front() != '#') ids.emplace_back(id);
  }
  return ids;
}

}  // namespace

int run_demo_catalog(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed = parse_arguments(args, {"catalog", "db", "store", "version", "date", "ids-file"});
  std::vector<std::string> ids = parsed.positional;
  if (auto file = parsed.get("ids-file")) {
    auto more = ids_from_file(*file);
    ids.insert(ids.end(), more.begin(), more.end());
  }
  if (ids.empty()) throw UsageError("demo-catalog needs hardware ids (arguments or --ids-file)");

  ServerPaths paths = server_paths(parsed, std::getenv("QUORVANE_CATALOG"));
  Catalog catalog(paths.catalog);
  ScratchFolder scratch("quorvane-demo");
  int failures = 0;
  for (size_t i = 0; i < ids.size(); ++i) {
    DemoDriver driver;
    driver.hardware_ids = {ids[i]};
    driver.version = parsed.get_or("version", driver.version);
    driver.date = parsed.get_or("date", driver.date);
    auto folder = scratch.path() / std::to_string(i);
    std::filesystem::create_directories(folder);
    auto package = folder / demo_package_name(ids[i]);
    {
      std::ofstream file(package, std::ios::binary);
      file << demo_package_zip(driver);
      if (!file) throw std::runtime_error("cannot write " + package.string());
    }
    try {
      auto result = import_package(catalog, paths.store, package);
      out << ids[i] << ": driver id " << result.package.id << " (" << driver.version << ")\n";
    } catch (const std::exception& error) {
      err << ids[i] << ": " << error.what() << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace qvserver
