// The SQLite catalog: imported packages, the INF drivers in them and the hardware ids
// they serve per architecture and OS version range, plus a few server settings. One
// connection shared by all threads; the lookups a server repeats use kept statements.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
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

  // Counts the committed imports; an index built at one version is current while the
  // catalog still has it, whichever process imported.
  std::int64_t version();

  // Reads every driver (with its package) and every target in one read transaction and
  // returns the version they belong to. Targets carry the lower-cased id.
  std::int64_t read_all(const std::function<void(std::int64_t driver_id, DriverOffer)>& on_driver,
                        const std::function<void(std::int64_t driver_id, const InfTarget&)>& on_target);

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
  std::mutex mutex_;  // the kept statements and a transaction in progress are not shared
  SqliteDb db_;
  SqliteStatement package_by_id_;
  SqliteStatement package_by_md5_;
  SqliteStatement version_;
  SqliteStatement setting_;
};

}  // namespace qvserver
