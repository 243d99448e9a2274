// The catalog: imported packages, the INF drivers in them and the hardware ids they
// serve per architecture and OS version range, plus a few server settings. Kept in
// SQLite (a file path, the embedded default) or in PostgreSQL (a "postgresql://" URL)
// that any number of serve replicas share.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_error.h"
#include "inf_driver.h"

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

using DriverVisitor = std::function<void(std::int64_t driver_id, DriverOffer)>;
using TargetVisitor = std::function<void(std::int64_t driver_id, const InfTarget&)>;
using PlaceFile = std::function<void(const PackageRecord&)>;

// Tells of imports committed by any process or replica while it lives.
class ImportWatch {
 public:
  virtual ~ImportWatch() = default;
};

// What a catalog database does; each backend is safe to call from several threads.
class CatalogBackend {
 public:
  virtual ~CatalogBackend() = default;
  virtual PackageRecord add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                                    const PlaceFile& place_file) = 0;
  virtual std::optional<PackageRecord> package(std::int64_t id) = 0;
  virtual std::optional<PackageRecord> package_by_md5(const std::string& md5) = 0;
  virtual std::vector<DriverOffer> offers(const std::string& hardware_id, const std::string& architecture,
                                          int os_version) = 0;
  virtual std::int64_t version() = 0;
  virtual std::int64_t read_all(const DriverVisitor& on_driver, const TargetVisitor& on_target) = 0;
  virtual std::optional<std::string> setting(const std::string& key) = 0;
  virtual void set_setting(const std::string& key, const std::string& value) = 0;
  virtual std::unique_ptr<ImportWatch> watch_imports(std::function<void()> on_import) = 0;
};

// True for "postgresql://…" and "postgres://…".
bool is_postgresql_url(std::string_view location);

class Catalog {
 public:
  // A file path opens (or creates) an SQLite catalog; a PostgreSQL URL connects and
  // creates or migrates the schema. Raises CatalogError when it cannot.
  explicit Catalog(const std::string& location);

  // Adds a package and its drivers in one transaction. place_file runs inside it with the
  // new id and the stored name, so a failure there leaves the catalog unchanged.
  PackageRecord add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                            const PlaceFile& place_file) {
    return backend_->add_package(package, infs, place_file);
  }

  std::optional<PackageRecord> package(std::int64_t id) { return backend_->package(id); }
  std::optional<PackageRecord> package_by_md5(const std::string& md5) { return backend_->package_by_md5(md5); }

  // Drivers serving hardware_id (letter case ignored) on the architecture and OS version.
  std::vector<DriverOffer> offers(const std::string& hardware_id, const std::string& architecture, int os_version) {
    return backend_->offers(hardware_id, architecture, os_version);
  }

  // Counts the committed imports; an index built at one version is current while the
  // catalog still has it, whichever process or replica imported.
  std::int64_t version() { return backend_->version(); }

  // Reads every driver (with its package) and every target in one read transaction and
  // returns the version they belong to. Targets carry the lower-cased id.
  std::int64_t read_all(const DriverVisitor& on_driver, const TargetVisitor& on_target) {
    return backend_->read_all(on_driver, on_target);
  }

  std::optional<std::string> setting(const std::string& key) { return backend_->setting(key); }
  void set_setting(const std::string& key, const std::string& value) { backend_->set_setting(key, value); }

  // Calls on_import, from a thread of its own, soon after any import is committed (and
  // once when it starts or connects again, for imports it may have missed); nothing
  // where the catalog has no such notice (SQLite, whose version is cheap to ask).
  std::unique_ptr<ImportWatch> watch_imports(std::function<void()> on_import) {
    return backend_->watch_imports(std::move(on_import));
  }

 private:
  std::unique_ptr<CatalogBackend> backend_;
};

}  // namespace qvserver
