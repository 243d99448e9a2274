// The catalog in an SQLite file: one connection shared by all threads; the lookups a
// server repeats use kept statements. The import counter, which every scan asks, is read
// on connections of its own, one per concurrent caller, so scans never wait for one
// another nor for an import in progress.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "catalog.h"
#include "sqlite_db.h"

namespace qvserver {

class SqliteCatalog final : public CatalogBackend {
 public:
  explicit SqliteCatalog(const std::string& path);

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
  std::unique_ptr<ImportWatch> watch_imports(std::function<void()>) override { return nullptr; }

 private:
  struct VersionReader {
    explicit VersionReader(const std::string& path);
    SqliteDb db;
    SqliteStatement query;
  };

  std::string path_;
  std::mutex readers_mutex_;
  std::vector<std::unique_ptr<VersionReader>> idle_readers_;
  std::mutex mutex_;  // the kept statements and a transaction in progress are not shared
  SqliteDb db_;
  SqliteStatement package_by_id_;
  SqliteStatement package_by_md5_;
  SqliteStatement version_;
  SqliteStatement setting_;
};

}  // namespace qvserver
