// RAII wrappers of an SQLite connection and a prepared statement.
#include "sqlite_db.h"

#include <sqlite3.h>

namespace qvserver {

void SqliteStatement::Finalize::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
void SqliteDb::Close::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    throw CatalogError(std::string("catalog query failed: ") + sqlite3_errmsg(db));
  }
  statement_.reset(raw);
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
  if (sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    throw CatalogError(std::string("catalog bind failed: ") + sqlite3_errmsg(db_));
  return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t number) {
  if (sqlite3_bind_int64(statement_.get(), index, number) != SQLITE_OK)
    throw CatalogError(std::string("catalog bind failed: ") + sqlite3_errmsg(db_));
  return *this;
}

bool SqliteStatement::step() {
  int result = sqlite3_step(statement_.get());
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  throw CatalogError(std::string("catalog step failed: ") + sqlite3_errmsg(db_));
}

void SqliteStatement::run() {
  while (step()) {
  }
}

void SqliteStatement::reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

std::string SqliteStatement::text(int column) const {
  auto* bytes = sqlite3_column_text(statement_.get(), column);
  int size = sqlite3_column_bytes(statement_.get(), column);
  return bytes ? std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)) : std::string();
}

std::int64_t SqliteStatement::number(int column) const { return sqlite3_column_int64(statement_.get(), column); }

SqliteDb::SqliteDb(const std::string& path) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                               nullptr);
  db_.reset(raw);
  if (result != SQLITE_OK)
    throw CatalogError("cannot open the catalog " + path + ": " + (raw ? sqlite3_errmsg(raw) : "out of memory"));
  sqlite3_busy_timeout(raw, 5000);
}

void SqliteDb::exec(std::string_view sql) {
  std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(db_.get(), text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string error = message ? message : "unknown error";
    sqlite3_free(message);
    throw CatalogError("catalog update failed: " + error);
  }
}

std::int64_t SqliteDb::last_insert_id() const { return sqlite3_last_insert_rowid(db_.get()); }

SqliteTransaction::SqliteTransaction(SqliteDb& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

SqliteTransaction::~SqliteTransaction() {
  if (done_) return;
  try {
    db_.exec("ROLLBACK");
  } catch (const CatalogError&) {
    // The connection already rolled back (for example after a failed COMMIT).
  }
}

void SqliteTransaction::commit() {
  db_.exec("COMMIT");
  done_ = true;
}

}  // namespace qvserver
