// RAII wrappers of an SQLite connection and a prepared statement; failures raise
// CatalogError with SQLite's message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalog_error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qvserver {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  SqliteStatement& bind(int index, std::string_view text);
  SqliteStatement& bind(int index, std::int64_t number);
  bool step();  // true while a row is available
  void run();   // steps to completion
  // Makes a kept statement ready for new bindings and ends its read snapshot.
  void reset();
  std::string text(int column) const;
  std::int64_t number(int column) const;

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, Finalize> statement_;
};

// One use of a kept statement: reset on both ends, so no read snapshot outlives it.
class KeptStatementUse {
 public:
  explicit KeptStatementUse(SqliteStatement& statement) : statement_(statement) { statement_.reset(); }
  ~KeptStatementUse() { statement_.reset(); }
  KeptStatementUse(const KeptStatementUse&) = delete;
  KeptStatementUse& operator=(const KeptStatementUse&) = delete;
  SqliteStatement* operator->() { return &statement_; }
  SqliteStatement& operator*() { return statement_; }

 private:
  SqliteStatement& statement_;
};

class SqliteDb {
 public:
  explicit SqliteDb(const std::string& path);
  void exec(std::string_view sql);
  SqliteStatement prepare(std::string_view sql) { return SqliteStatement(db_.get(), sql); }
  std::int64_t last_insert_id() const;

 private:
  struct Close {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Close> db_;
};

// Commits when commit() was called, else rolls back when it leaves scope.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteDb& db);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void commit();

 private:
  SqliteDb& db_;
  bool done_ = false;
};

}  // namespace qvserver
