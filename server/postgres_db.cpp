// RAII wrappers of a libpq connection and its results.
#include "postgres_db.h"

#include <libpq-fe.h>

#include <charconv>

namespace qvserver {

void PgResult::Clear::operator()(pg_result* result) const { PQclear(result); }
void PgConnection::Finish::operator()(pg_conn* connection) const { PQfinish(connection); }

PgResult::PgResult(pg_result* result) : result_(result) {}

int PgResult::rows() const { return PQntuples(result_.get()); }

std::string PgResult::text(int row, int column) const {
  return std::string(PQgetvalue(result_.get(), row, column),
                     static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

std::int64_t PgResult::number(int row, int column) const {
  const char* value = PQgetvalue(result_.get(), row, column);
  std::int64_t number = 0;
  std::from_chars(value, value + PQgetlength(result_.get(), row, column), number);
  return number;
}

PgConnection::PgConnection(const std::string& url) : connection_(PQconnectdb(url.c_str())) {
  if (!connection_) throw CatalogError("cannot connect to the catalog: out of memory");
  if (PQstatus(connection_.get()) != CONNECTION_OK)
    throw CatalogError(std::string("cannot connect to the catalog: ") + PQerrorMessage(connection_.get()));
  // Notices ("relation already exists, skipping") say nothing an operator must act on.
  PQsetNoticeProcessor(connection_.get(), [](void*, const char*) {}, nullptr);
}

PgResult PgConnection::checked(pg_result* raw, const std::string& what) {
  PgResult result(raw);
  auto status = PQresultStatus(raw);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    const char* message = raw ? PQresultErrorMessage(raw) : PQerrorMessage(connection_.get());
    throw CatalogError("catalog " + what + " failed: " + message);
  }
  return result;
}

PgResult PgConnection::exec(const std::string& sql) { return checked(PQexec(connection_.get(), sql.c_str()), "query"); }

void PgConnection::ensure_connected() {
  if (PQstatus(connection_.get()) == CONNECTION_OK) return;
  PQreset(connection_.get());
  if (PQstatus(connection_.get()) != CONNECTION_OK)
    throw CatalogError(std::string("cannot connect to the catalog again: ") + PQerrorMessage(connection_.get()));
  for (const auto& [name, sql] : prepared_)
    checked(PQprepare(connection_.get(), name.c_str(), sql.c_str(), 0, nullptr), "prepare");
}

void PgConnection::prepare(const std::string& name, const std::string& sql) {
  checked(PQprepare(connection_.get(), name.c_str(), sql.c_str(), 0, nullptr), "prepare");
  prepared_.emplace_back(name, sql);
}

PgResult PgConnection::run(const std::string& name, const std::vector<std::string>& params) {
  std::vector<const char*> values;
  std::vector<int> lengths;
  for (const auto& param : params) {
    values.push_back(param.c_str());
    lengths.push_back(static_cast<int>(param.size()));
  }
  return checked(PQexecPrepared(connection_.get(), name.c_str(), static_cast<int>(params.size()), values.data(),
                                lengths.data(), nullptr, 0),
                 name);
}

int PgConnection::socket() const { return PQsocket(connection_.get()); }

bool PgConnection::take_notifications(int& count) {
  count = 0;
  if (!PQconsumeInput(connection_.get())) return false;
  while (PGnotify* notice = PQnotifies(connection_.get())) {
    PQfreemem(notice);
    ++count;
  }
  return PQstatus(connection_.get()) == CONNECTION_OK;
}

PgTransaction::PgTransaction(PgConnection& connection, const std::string& begin) : connection_(connection) {
  connection_.exec(begin);
}

PgTransaction::~PgTransaction() {
  if (done_) return;
  try {
    connection_.exec("ROLLBACK");
  } catch (const CatalogError&) {
    // The connection is gone; the server rolls the transaction back itself.
  }
}

void PgTransaction::commit() {
  connection_.exec("COMMIT");
  done_ = true;
}

}  // namespace qvserver
