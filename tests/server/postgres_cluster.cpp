// The throwaway PostgreSQL cluster of the server tests.
#include "postgres_cluster.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace qvtest {

namespace {

namespace fs = std::filesystem;

constexpr const char* kClusterUser = "quorvane-pg";  // created by scripts/setup
constexpr const char* kDatabaseUser = "quorvane";

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

fs::path postgres_bin() {
  fs::path best;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
    if (fs::exists(entry.path() / "bin" / "initdb") && (best.empty() || entry.path() > best)) best = entry.path();
  }
  if (best.empty()) throw std::runtime_error("PostgreSQL's initdb is missing: run scripts/setup");
  return best / "bin";
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

class Cluster {
 public:
  Cluster() : folder_(QV_SERVER_TEST_PG_DIR), bin_(postgres_bin()) {
    as_owner_ = ::geteuid() == 0 ? std::string("runuser -u ") + kClusterUser + " -- " : "";
    stop_left_over();
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "socket");
    if (!as_owner_.empty()) run(std::string("chown -R ") + kClusterUser + " " + quoted(folder_));
    run(as_owner_ + quoted(bin_ / "initdb") + " -D " + quoted(folder_ / "data") + " -U " + kDatabaseUser +
        " --auth=trust -E UTF8 --locale=C --no-sync >" + quoted(folder_ / "initdb.log") + " 2>&1");
    run(as_owner_ + quoted(bin_ / "pg_ctl") + " -D " + quoted(folder_ / "data") + " -l " +
        quoted(folder_ / "server.log") + " -w -o \"-k " + (folder_ / "socket").string() +
        " -c listen_addresses='' -c fsync=off -c max_connections=200\" start >/dev/null");
    started_ = true;
    run(quoted(bin_ / "createdb") + " -h " + quoted(folder_ / "socket") + " -U " + kDatabaseUser + " catalogs");
  }
  ~Cluster() {
    if (started_) std::system((as_owner_ + quoted(bin_ / "pg_ctl") + " -D " + quoted(folder_ / "data") +
                               " -m fast -w stop >/dev/null 2>&1").c_str());
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;

  std::string fresh_catalog() {
    std::string schema = "catalog_" + std::to_string(++schemas_);
    run(quoted(bin_ / "psql") + " -q -h " + quoted(folder_ / "socket") + " -U " + kDatabaseUser +
        " -d catalogs -c 'CREATE SCHEMA " + schema + "'");
    return "postgresql:///catalogs?host=" + (folder_ / "socket").string() + "&user=" + kDatabaseUser +
           "&options=-csearch_path%3D" + schema;
  }

 private:
  void stop_left_over() {
    if (fs::exists(folder_ / "data" / "postmaster.pid"))
      std::system((as_owner_ + quoted(bin_ / "pg_ctl") + " -D " + quoted(folder_ / "data") +
                   " -m immediate -w stop >/dev/null 2>&1").c_str());
  }

  fs::path folder_;
  fs::path bin_;
  std::string as_owner_;
  bool started_ = false;
  int schemas_ = 0;
};

// Owns the cluster for the test program; gtest ends it after the last test.
class ClusterEnvironment : public ::testing::Environment {
 public:
  Cluster& cluster() {
    std::lock_guard lock(mutex_);
    if (!cluster_) cluster_ = std::make_unique<Cluster>();
    return *cluster_;
  }
  void TearDown() override { cluster_.reset(); }

 private:
  std::mutex mutex_;
  std::unique_ptr<Cluster> cluster_;
};

ClusterEnvironment* const environment =
    static_cast<ClusterEnvironment*>(::testing::AddGlobalTestEnvironment(new ClusterEnvironment));

}  // namespace

std::string fresh_postgres_catalog() { return environment->cluster().fresh_catalog(); }

}  // namespace qvtest
