// The catalog in PostgreSQL, shared by any number of serve replicas: one connection
// per process with kept prepared statements; the schema is created or migrated on
// connecting, under an advisory lock so replicas starting together do not race.
#pragma once

#include <mutex>

#include "catalog.h"
#include "postgres_db.h"

namespace qvserver {

class PostgresCatalog final : public CatalogBackend {
 public:
  explicit PostgresCatalog(const std::string& url);

  PackageRecord add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                            const PlaceFile& place_file) override;
  std::optional<PackageRecord> package(std::int64_t id) override;
  std::optional<PackageRecord> package_by_md5(const std::string& md5) override;
  std::vector<DriverOffer> offers(const std::string& hardware_id, const std::string& architecture,
                                  int os_version) override;
  std::int64_t version() override;
  std::int64_t read_all(const DriverVisitor& on_driver, const TargetVisitor& on_target) override;
  std::optional<std::string> setting(const std::string& key) override;
  void set_setting(const std::string& key, const std::string& value) override;
  // LISTENs on a connection of its own; add_package NOTIFYs when it commits.
  std::unique_ptr<ImportWatch> watch_imports(std::function<void()> on_import) override;

 private:
  std::string url_;
  std::mutex mutex_;  // one connection: one command at a time
  PgConnection db_;
};

}  // namespace qvserver
