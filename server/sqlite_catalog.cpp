// The SQLite catalog of packages, drivers and served hardware ids.
#include "sqlite_catalog.h"

#include "ascii_text.h"

namespace qvserver {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS packages (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  file_name TEXT NOT NULL,
  stored_name TEXT NOT NULL,
  size_kb INTEGER NOT NULL,
  md5 TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS drivers (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  package_id INTEGER NOT NULL REFERENCES packages(id),
  inf_path TEXT NOT NULL,
  provider TEXT NOT NULL,
  class_name TEXT NOT NULL,
  date TEXT NOT NULL,
  version TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS targets (
  driver_id INTEGER NOT NULL REFERENCES drivers(id),
  hardware_key TEXT NOT NULL,
  architecture TEXT NOT NULL,
  os_min INTEGER NOT NULL,
  os_max INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS targets_by_id ON targets(hardware_key, architecture);
CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS catalog_state (id INTEGER PRIMARY KEY CHECK (id = 1), version INTEGER NOT NULL);
INSERT OR IGNORE INTO catalog_state(id, version) VALUES(1, 0);
)sql";

constexpr const char* kPackageColumns = "SELECT id, file_name, stored_name, size_kb, md5 FROM packages";
constexpr const char* kVersionQuery = "SELECT version FROM catalog_state WHERE id = 1";

// The schema this server writes; a catalog of a later schema is refused, not guessed at.
constexpr std::int64_t kSchemaVersion = 1;

SqliteDb open_catalog(const std::string& path) {
  SqliteDb db(path);
  db.exec("PRAGMA journal_mode=WAL");
  auto schema = db.prepare("PRAGMA user_version");
  std::int64_t found = schema.step() ? schema.number(0) : 0;
  schema.reset();
  if (found > kSchemaVersion)
    throw CatalogError("the catalog " + path + " has schema " + std::to_string(found) + ", newer than this server's " +
                       std::to_string(kSchemaVersion));
  db.exec(kSchema);
  db.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
  return db;
}

DriverOffer offer_from_row(const SqliteStatement& row, int first) {
  DriverOffer offer{row.number(first),         row.text(first + 1), row.number(first + 2), row.text(first + 3),
                    row.text(first + 4),       row.text(first + 5), {}};
  offer.version = parse_driver_version(row.text(first + 6)).value_or(DriverVersion{});
  return offer;
}

PackageRecord package_from_row(const SqliteStatement& row) {
  return {row.number(0), row.text(1), row.text(2), row.number(3), row.text(4)};
}

}  // namespace

SqliteCatalog::VersionReader::VersionReader(const std::string& path) : db(path), query(db.prepare(kVersionQuery)) {}

SqliteCatalog::SqliteCatalog(const std::string& path)
    : path_(path),
      db_(open_catalog(path)),
      package_by_id_(db_.prepare(std::string(kPackageColumns) + " WHERE id = ?")),
      package_by_md5_(db_.prepare(std::string(kPackageColumns) + " WHERE md5 = ?")),
      version_(db_.prepare(kVersionQuery)),
      setting_(db_.prepare("SELECT value FROM settings WHERE key = ?")) {}

std::int64_t SqliteCatalog::version() {
  std::unique_ptr<VersionReader> reader;
  {
    std::lock_guard lock(readers_mutex_);
    if (!idle_readers_.empty()) {
      reader = std::move(idle_readers_.back());
      idle_readers_.pop_back();
    }
  }
  if (!reader) reader = std::make_unique<VersionReader>(path_);
  std::int64_t version = 0;
  {
    KeptStatementUse query(reader->query);
    if (query->step()) version = query->number(0);
  }
  std::lock_guard lock(readers_mutex_);
  idle_readers_.push_back(std::move(reader));
  return version;
}

std::int64_t SqliteCatalog::read_all(const DriverVisitor& on_driver, const TargetVisitor& on_target) {
  std::lock_guard lock(mutex_);
  db_.exec("BEGIN");  // deferred: one read snapshot for the version, the drivers and the targets
  try {
    std::int64_t version = 0;
    {
      KeptStatementUse query(version_);
      if (query->step()) version = query->number(0);
    }
    auto drivers = db_.prepare(
        "SELECT d.id, p.id, p.file_name, p.size_kb, d.inf_path, d.class_name, d.date, d.version"
        " FROM drivers d JOIN packages p ON p.id = d.package_id");
    while (drivers.step()) on_driver(drivers.number(0), offer_from_row(drivers, 1));
    auto targets = db_.prepare("SELECT driver_id, hardware_key, architecture, os_min, os_max FROM targets");
    InfTarget target;
    while (targets.step()) {
      target.hardware_id = targets.text(1);
      target.architecture = targets.text(2);
      target.os_min = static_cast<int>(targets.number(3));
      target.os_max = static_cast<int>(targets.number(4));
      on_target(targets.number(0), target);
    }
    db_.exec("COMMIT");
    return version;
  } catch (...) {
    db_.exec("ROLLBACK");
    throw;
  }
}

PackageRecord SqliteCatalog::add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                                   const PlaceFile& place_file) {
  std::lock_guard lock(mutex_);
  SqliteTransaction transaction(db_);
  db_.prepare("INSERT INTO packages(file_name, stored_name, size_kb, md5) VALUES(?, '', ?, ?)")
      .bind(1, package.file_name)
      .bind(2, package.size_kb)
      .bind(3, package.md5)
      .run();
  PackageRecord stored = package;
  stored.id = db_.last_insert_id();
  stored.stored_name = std::to_string(stored.id) + "_" + package.file_name;
  db_.prepare("UPDATE packages SET stored_name = ? WHERE id = ?").bind(1, stored.stored_name).bind(2, stored.id).run();

  for (const auto& inf : infs) {
    db_.prepare("INSERT INTO drivers(package_id, inf_path, provider, class_name, date, version) VALUES(?,?,?,?,?,?)")
        .bind(1, stored.id)
        .bind(2, inf.inf_path)
        .bind(3, inf.driver.provider)
        .bind(4, inf.driver.class_name)
        .bind(5, inf.driver.date)
        .bind(6, inf.driver.version.text())
        .run();
    std::int64_t driver_id = db_.last_insert_id();
    auto insert = [&](const InfTarget& target) {
      db_.prepare("INSERT INTO targets(driver_id, hardware_key, architecture, os_min, os_max) VALUES(?,?,?,?,?)")
          .bind(1, driver_id)
          .bind(2, ascii_lower(target.hardware_id))
          .bind(3, target.architecture)
          .bind(4, std::int64_t{target.os_min})
          .bind(5, std::int64_t{target.os_max})
          .run();
    };
    for (const auto& target : inf.driver.targets) insert(target);
  }
  db_.exec("UPDATE catalog_state SET version = version + 1 WHERE id = 1");
  place_file(stored);
  transaction.commit();
  return stored;
}

std::optional<PackageRecord> SqliteCatalog::package(std::int64_t id) {
  std::lock_guard lock(mutex_);
  KeptStatementUse query(package_by_id_);
  query->bind(1, id);
  if (!query->step()) return std::nullopt;
  return package_from_row(*query);
}

std::optional<PackageRecord> SqliteCatalog::package_by_md5(const std::string& md5) {
  std::lock_guard lock(mutex_);
  KeptStatementUse query(package_by_md5_);
  query->bind(1, md5);
  if (!query->step()) return std::nullopt;
  return package_from_row(*query);
}

std::vector<DriverOffer> SqliteCatalog::offers(const std::string& hardware_id, const std::string& architecture,
                                         int os_version) {
  std::lock_guard lock(mutex_);
  auto query = db_.prepare(
      "SELECT DISTINCT p.id, p.file_name, p.size_kb, d.inf_path, d.class_name, d.date, d.version"
      " FROM targets t JOIN drivers d ON d.id = t.driver_id JOIN packages p ON p.id = d.package_id"
      " WHERE t.hardware_key = ? AND t.architecture = ? AND t.os_min <= ? AND ? < t.os_max");
  query.bind(1, ascii_lower(hardware_id)).bind(2, architecture).bind(3, std::int64_t{os_version});
  query.bind(4, std::int64_t{os_version});
  std::vector<DriverOffer> found;
  while (query.step()) found.push_back(offer_from_row(query, 0));
  return found;
}

std::optional<std::string> SqliteCatalog::setting(const std::string& key) {
  std::lock_guard lock(mutex_);
  KeptStatementUse query(setting_);
  query->bind(1, key);
  if (!query->step()) return std::nullopt;
  return query->text(0);
}

void SqliteCatalog::set_setting(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  db_.prepare("INSERT INTO settings(key, value) VALUES(?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value")
      .bind(1, key)
      .bind(2, value)
      .run();
}

}  // namespace qvserver
