// The SQLite catalog of packages, drivers and served hardware ids.
#include "catalog.h"

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
)sql";

PackageRecord package_from_row(const SqliteStatement& row) {
  return {row.number(0), row.text(1), row.text(2), row.number(3), row.text(4)};
}

}  // namespace

Catalog::Catalog(const std::string& path) : db_(path) {
  db_.exec("PRAGMA journal_mode=WAL");
  db_.exec(kSchema);
}

PackageRecord Catalog::add_package(const PackageRecord& package, const std::vector<PackageInf>& infs,
                                   const std::function<void(const PackageRecord&)>& place_file) {
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
  place_file(stored);
  transaction.commit();
  return stored;
}

std::optional<PackageRecord> Catalog::package(std::int64_t id) {
  auto query = db_.prepare("SELECT id, file_name, stored_name, size_kb, md5 FROM packages WHERE id = ?");
  query.bind(1, id);
  if (!query.step()) return std::nullopt;
  return package_from_row(query);
}

std::optional<PackageRecord> Catalog::package_by_md5(const std::string& md5) {
  auto query = db_.prepare("SELECT id, file_name, stored_name, size_kb, md5 FROM packages WHERE md5 = ?");
  query.bind(1, md5);
  if (!query.step()) return std::nullopt;
  return package_from_row(query);
}

std::vector<DriverOffer> Catalog::offers(const std::string& hardware_id, const std::string& architecture,
                                         int os_version) {
  auto query = db_.prepare(
      "SELECT DISTINCT p.id, p.file_name, p.size_kb, d.inf_path, d.class_name, d.date, d.version"
      " FROM targets t JOIN drivers d ON d.id = t.driver_id JOIN packages p ON p.id = d.package_id"
      " WHERE t.hardware_key = ? AND t.architecture = ? AND t.os_min <= ? AND ? < t.os_max");
  query.bind(1, ascii_lower(hardware_id)).bind(2, architecture).bind(3, std::int64_t{os_version});
  query.bind(4, std::int64_t{os_version});
  std::vector<DriverOffer> found;
  while (query.step()) {
    DriverOffer offer{query.number(0), query.text(1), query.number(2), query.text(3), query.text(4), query.text(5), {}};
    offer.version = parse_driver_version(query.text(6)).value_or(DriverVersion{});
    found.push_back(std::move(offer));
  }
  return found;
}

std::optional<std::string> Catalog::setting(const std::string& key) {
  auto query = db_.prepare("SELECT value FROM settings WHERE key = ?");
  query.bind(1, key);
  if (!query.step()) return std::nullopt;
  return query.text(0);
}

void Catalog::set_setting(const std::string& key, const std::string& value) {
  db_.prepare("INSERT INTO settings(key, value) VALUES(?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value")
      .bind(1, key)
      .bind(2, value)
      .run();
}

}  // namespace qvserver
