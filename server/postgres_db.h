// RAII wrappers of a libpq connection and its results; failures raise CatalogError
// with PostgreSQL's message. Parameters travel as text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog_error.h"

struct pg_conn;
struct pg_result;

namespace qvserver {

class PgResult {
 public:
  explicit PgResult(pg_result* result);
  int rows() const;
  std::string text(int row, int column) const;
  std::int64_t number(int row, int column) const;

 private:
  struct Clear {
    void operator()(pg_result* result) const;
  };
  std::unique_ptr<pg_result, Clear> result_;
};

class PgConnection {
 public:
  explicit PgConnection(const std::string& url);
  // Connects again when the connection was lost (a restarted server, a dropped link) and
  // prepares the kept statements anew. Called between transactions only: work of a
  // transaction on the lost connection is gone and must fail, not go on elsewhere.
  void ensure_connected();
  PgResult exec(const std::string& sql);
  // Prepares a statement kept for the connection's life under name.
  void prepare(const std::string& name, const std::string& sql);
  PgResult run(const std::string& name, const std::vector<std::string>& params);
  // The connection's socket, to wait on for notifications.
  int socket() const;
  // Reads what the server sent and counts the notifications among it; false when the
  // connection is lost.
  bool take_notifications(int& count);

 private:
  struct Finish {
    void operator()(pg_conn* connection) const;
  };
  PgResult checked(pg_result* result, const std::string& what);
  std::unique_ptr<pg_conn, Finish> connection_;
  std::vector<std::pair<std::string, std::string>> prepared_;  // name, SQL
};

// Rolls back unless commit() was called.
class PgTransaction {
 public:
  PgTransaction(PgConnection& connection, const std::string& begin = "BEGIN");
  ~PgTransaction();
  PgTransaction(const PgTransaction&) = delete;
  PgTransaction& operator=(const PgTransaction&) = delete;
  void commit();

 private:
  PgConnection& connection_;
  bool done_ = false;
};

}  // namespace qvserver
