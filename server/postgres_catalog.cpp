// The PostgreSQL catalog of packages, drivers and served hardware ids.
#include "postgres_catalog.h"

#include "ascii_text.h"
#include "postgres_import_watch.h"

namespace qvserver {

namespace {

constexpr std::int64_t kSchemaVersion = 1;
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7213001)";  // any fixed number

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS packages (
  id BIGSERIAL PRIMARY KEY,
  file_name TEXT NOT NULL,
  stored_name TEXT NOT NULL,
  size_kb BIGINT NOT NULL,
  md5 TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS drivers (
  id BIGSERIAL PRIMARY KEY,
  package_id BIGINT NOT NULL REFERENCES packages(id),
  inf_path TEXT NOT NULL,
  provider TEXT NOT NULL,
  class_name TEXT NOT NULL,
  date TEXT NOT NULL,
  version TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS targets (
  driver_id BIGINT NOT NULL REFERENCES drivers(id),
  hardware_key TEXT NOT NULL,
  architecture TEXT NOT NULL,
  os_min INTEGER NOT NULL,
  os_max INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS targets_by_id ON targets(hardware_key, architecture);
CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS catalog_state (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  version BIGINT NOT NULL,
  schema_version INTEGER NOT NULL);
INSERT INTO catalog_state(id, version, schema_version) VALUES(1, 0, 1) ON CONFLICT (id) DO NOTHING;
)sql";

constexpr const char* kPackageColumns = "SELECT id, file_name, stored_name, size_kb, md5 FROM packages";

PackageRecord package_from_row(const PgResult& row) {
  return {row.number(0, 0), row.text(0, 1), row.text(0, 2), row.number(0, 3), row.text(0, 4)};
}

DriverOffer offer_from_row(const PgResult& rows, int row, int first) {
  DriverOffer offer{rows.number(row, first),     rows.text(row, first + 1), rows.number(row, first + 2),
                    rows.text(row, first + 3),   rows.text(row, first + 4), rows.text(row, first + 5),
                    {}};
  offer.version = parse_driver_version(rows.text(row, first + 6)).value_or(DriverVersion{});
  return offer;
}

void create_schema(PgConnection& db) {
  PgTransaction transaction(db);
  db.exec(kSchemaLock);
  db.exec(kSchema);
  auto found = db.exec("SELECT schema_version FROM catalog_state WHERE id = 1").number(0, 0);
  if (found > kSchemaVersion)
    throw CatalogError("the catalog has schema " + std::to_string(found) + ", newer than this server's " +
                       std::to_string(kSchemaVersion));
  // Migrations from older schema versions go here, each raising schema_version by one.
  transaction.commit();
}

}  // namespace

PostgresCatalog::PostgresCatalog(const std::string& url) : url_(url), db_(url) {
  create_schema(db_);
  db_.prepare("package_by_id", std::string(kPackageColumns) + " WHERE id = $1");
  db_.prepare("package_by_md5", std::string(kPackageColumns) + " WHERE md5 = $1");
  db_.prepare("version", "SELECT version FROM catalog_state WHERE id = 1");
  db_.prepare("setting", "SELECT value FROM settings WHERE key = $1");
  db_.prepare("insert_package",
              "INSERT INTO packages(file_name, stored_name, size_kb, md5) VALUES($1, '', $2, $3) RETURNING id");
  db_.prepare("name_package", "UPDATE packages SET stored_name = $1 WHERE id = $2");
  db_.prepare("insert_driver",
              "INSERT INTO drivers(package_id, inf_path, provider, class_name, date, version)"
              " VALUES($1, $2, $3, $4, $5, $6) RETURNING id");
  db_.prepare("insert_target",
              "INSERT INTO targets(driver_id, hardware_key, architecture, os_min, os_max) VALUES($1, $2, $3, $4, $5)");
  db_.prepare("offers",
              "SELECT DISTINCT p.id, p.file_name, p.size_kb, d.inf_path, d.class_name, d.date, d.version"
              " FROM targets t JOIN drivers d ON d.id = t.driver_id JOIN packages p ON p.id = d.package_id"
              " WHERE t.hardware_key = $1 AND t.architecture = $2 AND t.os_min <= $3 AND $3 < t.os_max");
  db_.prepare("set_setting",
              "INSERT INTO settings(key, value) VALUES($1, $2) ON CONFLICT (key) DO UPDATE SET value = excluded.value");
}

PackageRecord PostgresCatalog::add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                                           const PlaceFile& place_file) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  PgTransaction transaction(db_);
  PackageRecord stored = package;
  stored.id = db_.run("insert_package", {package.file_name, std::to_string(package.size_kb), package.md5}).number(0, 0);
  stored.stored_name = std::to_string(stored.id) + "_" + package.file_name;
  db_.run("name_package", {stored.stored_name, std::to_string(stored.id)});
  for (const auto& inf : infs) {
    auto driver_id = db_.run("insert_driver", {std::to_string(stored.id), inf.inf_path, inf.driver.provider,
                                               inf.driver.class_name, inf.driver.date, inf.driver.version.text()})
                         .text(0, 0);
    for (const auto& target : inf.driver.targets)
      db_.run("insert_target", {driver_id, ascii_lower(target.hardware_id), target.architecture,
                                std::to_string(target.os_min), std::to_string(target.os_max)});
  }
  db_.exec("UPDATE catalog_state SET version = version + 1 WHERE id = 1");
  db_.exec(std::string("NOTIFY ") + kImportChannel);  // delivered to the listeners on commit
  place_file(stored);
  transaction.commit();
  return stored;
}

std::optional<PackageRecord> PostgresCatalog::package(std::int64_t id) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  auto rows = db_.run("package_by_id", {std::to_string(id)});
  if (rows.rows() == 0) return std::nullopt;
  return package_from_row(rows);
}

std::optional<PackageRecord> PostgresCatalog::package_by_md5(const std::string& md5) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  auto rows = db_.run("package_by_md5", {md5});
  if (rows.rows() == 0) return std::nullopt;
  return package_from_row(rows);
}

std::vector<DriverOffer> PostgresCatalog::offers(const std::string& hardware_id, const std::string& architecture,
                                                 int os_version) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  auto rows = db_.run("offers", {ascii_lower(hardware_id), architecture, std::to_string(os_version)});
  std::vector<DriverOffer> found;
  for (int row = 0; row < rows.rows(); ++row) found.push_back(offer_from_row(rows, row, 0));
  return found;
}

std::int64_t PostgresCatalog::version() {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  auto rows = db_.run("version", {});
  return rows.rows() ? rows.number(0, 0) : 0;
}

std::int64_t PostgresCatalog::read_all(const DriverVisitor& on_driver, const TargetVisitor& on_target) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  PgTransaction transaction(db_, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");  // one snapshot for all three
  auto version = db_.run("version", {});
  auto drivers = db_.exec(
      "SELECT d.id, p.id, p.file_name, p.size_kb, d.inf_path, d.class_name, d.date, d.version"
      " FROM drivers d JOIN packages p ON p.id = d.package_id");
  for (int row = 0; row < drivers.rows(); ++row) on_driver(drivers.number(row, 0), offer_from_row(drivers, row, 1));
  auto targets = db_.exec("SELECT driver_id, hardware_key, architecture, os_min, os_max FROM targets");
  InfTarget target;
  for (int row = 0; row < targets.rows(); ++row) {
    target.hardware_id = targets.text(row, 1);
    target.architecture = targets.text(row, 2);
    target.os_min = static_cast<int>(targets.number(row, 3));
    target.os_max = static_cast<int>(targets.number(row, 4));
    on_target(targets.number(row, 0), target);
  }
  transaction.commit();
  return version.rows() ? version.number(0, 0) : 0;
}

std::optional<std::string> PostgresCatalog::setting(const std::string& key) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  auto rows = db_.run("setting", {key});
  if (rows.rows() == 0) return std::nullopt;
  return rows.text(0, 0);
}

void PostgresCatalog::set_setting(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  db_.ensure_connected();
  db_.run("set_setting", {key, value});
}

}  // namespace qvserver

namespace qvserver {

std::unique_ptr<ImportWatch> PostgresCatalog::watch_imports(std::function<void()> on_import) {
  return std::make_unique<PostgresImportWatch>(url_, std::move(on_import));
}

}  // namespace qvserver
