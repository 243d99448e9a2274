// The SQLite catalog: imported packages, the INF drivers in them and the hardware ids
// they serve per architecture and OS version range, plus a few server settings.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inf_driver.h"
#include "sqlite_db.h"

namespace qvserver {

struct PackageRecord {
  std::int64_t id = 0;
  std::string file_name;    // the package's own name, as the download link ends
  std::string stored_name;  // its file in the store folder
  std::int64_t size_kb = 0;
  std::string md5;          // 32 lower-case hexadecimal digits
};

struct PackageInf {
  std::string inf_path;  // path of the INF inside the package
  InfDriver driver;
};

// One driver that serves a requested hardware id on the requested OS.
struct DriverOffer {
  std::int64_t package_id = 0;
  std::string file_name;
  std::int64_t size_kb = 0;
  std::string inf_path;
  std::string class_name;
  std::string date;
  DriverVersion version;
};

class Catalog {
 public:
  explicit Catalog(const std::string& path);

  // Adds a package and its drivers in one transaction. place_file runs inside it with the
  // new id and the stored name, so a failure there leaves the catalog unchanged.
  PackageRecord add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                            const std::function<void(const PackageRecord&)>& place_file);

  std::optional<PackageRecord> package(std::int64_t id);
  std::optional<PackageRecord> package_by_md5(const std::string& md5);

  // Drivers serving hardware_id (letter case ignored) on the architecture and OS version.
  std::vector<DriverOffer> offers(const std::string& hardware_id, const std::string& architecture, int os_version);

  std::optional<std::string> setting(const std::string& key);
  void set_setting(const std::string& key, const std::string& value);

 private:
  SqliteDb db_;
};

}  // namespace qvserver
