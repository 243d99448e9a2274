// The driver service end to end over loopback: scan answer, signed download, checksum
// confirmation, version offer, bad requests (undecodable, oversized, forged links),
// imports while serving, the health route, the access log and the drain on stop.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <regex>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "catalog.h"
#include "demo_packages.h"
#include "driver_service.h"
#include "md5_digest.h"
#include "package_import.h"
#include "postgres_cluster.h"
#include "postgres_db.h"
#include "quorvane.pb.h"
#include "scan_request.h"
#include "scratch_folder.h"

using namespace qvserver;

namespace {

constexpr const char* kNic = "PCI\\VEN_10EC&DEV_8168";
constexpr std::int64_t kLinkLifetime = 600;

// A catalog file, or a fresh schema on the test's PostgreSQL cluster.
std::string catalog_location(const std::string& backend, const ScratchFolder& folder) {
  return backend == "postgresql" ? qvtest::fresh_postgres_catalog() : (folder / "catalog.db").string();
}

// Another serve replica of a catalog: its own connection and service, on a loopback port
// until it ends.
class Replica {
 public:
  Replica(const std::string& location, const ServiceOptions& options)
      : catalog_(location), service_(catalog_, LinkSigner("test-secret", kLinkLifetime), options, log_) {
    service_.install(server_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("the replica cannot listen");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(5, 0);
  }
  ~Replica() {
    server_.stop();
    thread_.join();
  }
  Replica(const Replica&) = delete;
  Replica& operator=(const Replica&) = delete;

  Catalog& catalog() { return catalog_; }
  httplib::Client& client() { return *client_; }

 private:
  Catalog catalog_;
  std::ostringstream log_;
  DriverService service_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::unique_ptr<httplib::Client> client_;
};

// A catalog with one imported package and the service on an ephemeral loopback port.
class DriverServiceTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    DemoDriver driver;
    driver.hardware_ids = {kNic};
    driver.version = "5.0.0.0";
    package_bytes_ = demo_package_zip(driver);
    {
      std::ofstream out(folder_ / "net driver_v2.zip", std::ios::binary);
      out << package_bytes_;
    }
    package_ = import_package(catalog_, folder_ / "store", folder_ / "net driver_v2.zip").package;

    ServiceOptions options;
    options.store_dir = folder_ / "store";
    options.release = ReleaseOffer{*parse_driver_version("1.2.0.0"), "New pages"};
    for (int i = 0; setup_bytes_.size() < 200000; ++i) setup_bytes_ += static_cast<char>(i * 7 % 256);
    {
      std::ofstream out(folder_ / "qvsetup.exe", std::ios::binary);
      out << setup_bytes_;
    }
    options.setup_file = folder_ / "qvsetup.exe";
    options.max_body_bytes = 64 * 1024;
    options.clock = [this] { return now_.load(); };
    service_ = std::make_unique<DriverService>(catalog_, LinkSigner("test-secret", kLinkLifetime), options, log_);
    service_->install(server_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; i < 500 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(server_.is_running());
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(5, 0);
  }

  void TearDown() override {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  std::string post(const std::string& path, const std::string& body, int expected_status = 200) {
    auto result = client_->Post(path.c_str(), body, "application/x-protobuf; charset=\"utf-8\"");
    EXPECT_TRUE(result) << path;
    if (!result) return {};
    EXPECT_EQ(result->status, expected_status) << path;
    return result->body;
  }

  quorvane::Drivers scan(const char* installed_version, const char* installed_date = "2020-01-01") {
    quorvane::Drivers request;
    request.mutable_os()->set_name("Windows");
    request.mutable_os()->set_version("10.0.0");
    request.mutable_os()->set_architecture("amd64");
    auto* device = request.add_driver();
    device->set_hardware_id(kNic);
    device->set_driver_version(installed_version);
    device->set_driver_date(installed_date);
    quorvane::Drivers answer;
    EXPECT_TRUE(answer.ParseFromString(post("/newupdates/", request.SerializeAsString())));
    return answer;
  }

  // A package for the ids at the version, written into the test folder.
  std::filesystem::path write_package(const std::vector<std::string>& ids, const std::string& version) {
    DemoDriver driver;
    driver.hardware_ids = ids;
    driver.version = version;
    auto path = folder_ / ("pkg-" + version + ".zip");
    std::ofstream out(path, std::ios::binary);
    out << demo_package_zip(driver);
    return path;
  }

  std::string path_of(const std::string& url) {
    std::string prefix = "http://127.0.0.1:" + std::to_string(port_);
    EXPECT_TRUE(url.starts_with(prefix)) << url;
    return url.substr(prefix.size());
  }

  std::string confirm(const std::string& checksum, const std::string& driver_id) {
    quorvane::ClientStatus status;
    auto* download = status.add_downloads();
    download->set_driver_checksum(checksum);
    download->set_driver_id(driver_id);
    return post("/client_status/", status.SerializeAsString());
  }

  qvserver::ScratchFolder folder_{"qv-server-test"};
  std::string location_ = catalog_location(GetParam(), folder_);
  Catalog catalog_{location_};
  std::string package_bytes_;
  std::string setup_bytes_;
  PackageRecord package_;
  std::atomic<std::int64_t> now_{1'700'000'000};
  std::ostringstream log_;
  std::unique_ptr<DriverService> service_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace

TEST_P(DriverServiceTest, ScanDownloadAndConfirm) {
  auto answer = scan("4.0.0.0");
  ASSERT_EQ(answer.driver_size(), 1);
  const auto& offer = answer.driver(0);
  EXPECT_EQ(offer.hardware_id(), kNic);
  EXPECT_EQ(offer.driver_version(), "5.0.0.0");
  EXPECT_EQ(offer.driver_id(), std::to_string(package_.id));
  EXPECT_EQ(offer.driver_size(), std::to_string(package_.size_kb));
  // The client names the file after the first "_" of the decoded last path element.
  std::string path = path_of(offer.download_url());
  EXPECT_TRUE(path.starts_with("/files/" + std::to_string(package_.id) + "_net%20driver_v2.zip?")) << path;

  auto download = client_->Get(path.c_str(), {{"Accept", "*/*"}});
  ASSERT_TRUE(download);
  EXPECT_EQ(download->status, 200);
  EXPECT_EQ(download->body, package_bytes_);

  EXPECT_EQ(confirm(md5_hex(download->body), offer.driver_id()), "true");
  EXPECT_EQ(confirm(md5_hex("something else"), offer.driver_id()), "false");
  EXPECT_EQ(confirm(md5_hex(download->body), "999"), "false");
  EXPECT_EQ(confirm(md5_hex(download->body), "1 OR 1=1"), "false");
  EXPECT_EQ(post("/client_status/", ""), "false");
  EXPECT_EQ(post("/client_status/", "\xFF\xFF\xFF"), "false");
}

TEST_P(DriverServiceTest, NothingNewerIsAnEmptyBody) {
  EXPECT_EQ(scan("5.0.0.0", "2026-01-01").driver_size(), 0);
  quorvane::Drivers empty;
  EXPECT_EQ(post("/newupdates/", empty.SerializeAsString()), "");
}

TEST_P(DriverServiceTest, UndecodableAndOversizedRequests) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_TRUE(post("/newupdates/", noise).starts_with("error"));
  EXPECT_TRUE(post("/newupdates/", std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 11)).starts_with("error"));
  quorvane::Drivers crowded;
  auto* device = crowded.add_driver();
  device->set_hardware_id(kNic);
  for (std::size_t i = 0; i <= kMaxCompatibleIdsPerDevice; ++i) device->add_compatids()->set_compatid("PCI\\CC_02");
  EXPECT_EQ(post("/newupdates/", crowded.SerializeAsString()),
            "error: a scan request names at most 200000 ids in all and 64 compatible ids per device\n");

  auto oversized = client_->Post("/newupdates/", std::string(65 * 1024, 'x'), "application/x-protobuf");
  if (oversized) {
    EXPECT_EQ(oversized->status, 413);  // the server may also just close the connection
  }
  EXPECT_EQ(scan("4.0.0.0").driver_size(), 1);          // and it still serves
}

TEST_P(DriverServiceTest, RefusedLinksAnswer403) {
  std::string path = path_of(scan("4.0.0.0").driver(0).download_url());
  std::string id = std::to_string(package_.id);
  auto query = path.substr(path.find('?'));
  std::string tampered = path;
  tampered[tampered.size() - 1] = tampered.back() == '0' ? '1' : '0';
  const std::string refused[] = {
      tampered,
      "/files/" + id + "_other.zip" + query,                      // another name under a valid signature
      "/files/" + id + "_net%20driver_v2.zip",                   // no signature at all
      "/files/" + id + "_net%20driver_v2.zip?expires=99999999999&sig=00",
      "/files/x_net%20driver_v2.zip" + query,
  };
  for (const auto& link : refused) {
    auto result = client_->Get(link.c_str());
    ASSERT_TRUE(result) << link;
    EXPECT_EQ(result->status, 403) << link;
    EXPECT_NE(result->body, package_bytes_) << link;
  }
  // Traversal in the name: refused or not found, never served.
  const std::string traversals[] = {"/files/../catalog.db", "/files/" + id + "_..%2F..%2Fcatalog.db" + query};
  for (const auto& link : traversals) {
    auto result = client_->Get(link.c_str());
    ASSERT_TRUE(result) << link;
    EXPECT_TRUE(result->status == 403 || result->status == 404) << link << " " << result->status;
  }

  now_ += kLinkLifetime;  // the link has expired
  auto expired = client_->Get(path.c_str());
  ASSERT_TRUE(expired);
  EXPECT_EQ(expired->status, 403);
}

TEST_P(DriverServiceTest, VersionOffer) {
  quorvane::ClientVersion caller;
  caller.set_version_major("1");
  caller.set_version_minor("0");
  caller.set_version_vminor("0");
  caller.set_version_vbuild("1");
  quorvane::ClientVersion offered;
  ASSERT_TRUE(offered.ParseFromString(post("/client_version/quorvane/", caller.SerializeAsString())));
  EXPECT_EQ(offered.version_minor(), "2");
  EXPECT_EQ(offered.readme(), "New pages");

  caller.set_version_minor("2");
  EXPECT_EQ(post("/client_version/quorvane/", caller.SerializeAsString()), "false");
  EXPECT_EQ(post("/client_version/quorvane/", "\xFF\xFF"), "false");
}

TEST_P(DriverServiceTest, OfferedSetupIsServed) {
  auto setup = client_->Get("/download/qvsetup.exe");
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->status, 200);
  EXPECT_EQ(setup->body, setup_bytes_);
  std::filesystem::remove(folder_ / "qvsetup.exe");
  auto missing = client_->Get("/download/qvsetup.exe");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
}

TEST_P(DriverServiceTest, ConcurrentScansAllAnswered) {
  constexpr int kClients = 6;
  constexpr int kScansEach = 15;
  std::atomic<int> answered{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", port_);
      client.set_read_timeout(5, 0);
      quorvane::Drivers request;
      request.mutable_os()->set_version("10.0.0");
      request.mutable_os()->set_architecture("amd64");
      for (int d = 0; d < 50; ++d)
        request.add_driver()->set_hardware_id(d == 0 ? kNic : "PCI\\VEN_0&DEV_" + std::to_string(d));
      std::string body = request.SerializeAsString();
      for (int n = 0; n < kScansEach; ++n) {
        auto result = client.Post("/newupdates/", body, "application/x-protobuf");
        quorvane::Drivers answer;
        if (result && result->status == 200 && answer.ParseFromString(result->body) && answer.driver_size() == 1)
          ++answered;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(answered, kClients * kScansEach);
}

TEST_P(DriverServiceTest, EveryRequestIsLoggedOnOneParsableLine) {
  scan("4.0.0.0");
  client_->Get("/nowhere");
  server_.stop();
  thread_.join();
  std::istringstream log(log_.str());
  const std::regex line_form(R"(127\.0\.0\.1 (GET|POST) (\S+) (\d{3}) in=\d+ out=(\d+) ms=\d+\.\d\d devices=(\d+))");
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line, parts, line_form)) << line;
    lines.push_back(parts[1].str() + " " + parts[2].str() + " " + parts[3].str() + " " + parts[5].str());
  }
  std::sort(lines.begin(), lines.end());  // a line is written after its answer: the order may vary
  EXPECT_EQ(lines, (std::vector<std::string>{"GET /nowhere 404 0", "POST /newupdates/ 200 1"}));
}

TEST_P(DriverServiceTest, ImportWhileServingIsAnsweredByTheNextScan) {
  ASSERT_EQ(scan("4.0.0.0").driver(0).driver_version(), "5.0.0.0");
  Catalog importer(location_);  // another connection, as the import command has
  auto imported = import_package(importer, folder_ / "store", write_package({kNic}, "6.0.0.0")).package;

  auto answer = scan("4.0.0.0");
  ASSERT_EQ(answer.driver_size(), 1);
  EXPECT_EQ(answer.driver(0).driver_version(), "6.0.0.0");
  EXPECT_EQ(answer.driver(0).driver_id(), std::to_string(imported.id));
  auto download = client_->Get(path_of(answer.driver(0).download_url()).c_str());
  ASSERT_TRUE(download);
  EXPECT_EQ(download->status, 200);
}

TEST_P(DriverServiceTest, AnImportByAnotherProcessReachesEveryScanSentAfterIt) {
  // Scanners keep the service busy, so that scans share the catalog's version queries;
  // every scan sent after the import command has ended must offer the imported driver.
  auto package = write_package({kNic}, "6.0.0.0");
  quorvane::Drivers request;
  request.mutable_os()->set_version("10.0.0");
  request.mutable_os()->set_architecture("amd64");
  request.add_driver()->set_hardware_id(kNic);
  request.mutable_driver(0)->set_driver_version("4.0.0.0");
  const std::string body = request.SerializeAsString();

  std::atomic<bool> imported{false};
  std::atomic<int> scanning{0}, stale{0}, failed{0};
  std::vector<std::thread> scanners;
  for (int i = 0; i < 4; ++i) {
    scanners.emplace_back([&] {
      httplib::Client client("127.0.0.1", port_);
      client.set_read_timeout(10, 0);
      ++scanning;
      for (int after_import = 0; after_import < 20;) {
        bool sent_after_import = imported;
        auto result = client.Post("/newupdates/", body, "application/x-protobuf");
        quorvane::Drivers answer;
        if (!result || result->status != 200 || !answer.ParseFromString(result->body) || answer.driver_size() != 1) {
          ++failed;
          return;
        }
        if (!sent_after_import) continue;
        ++after_import;
        if (answer.driver(0).driver_version() != "6.0.0.0") ++stale;
      }
    });
  }
  while (scanning < 4) std::this_thread::yield();
  std::string command = std::string("'") + QV_SERVER_PROGRAM + "' import --catalog '" + location_ + "' --store '" +
                        (folder_ / "store").string() + "' '" + package.string() + "' >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  imported = true;
  for (auto& scanner : scanners) scanner.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(stale, 0);
}

TEST_P(DriverServiceTest, ScansDuringImportsNeverSeeHalfAPackage) {
  // Each package serves both ids at one version: an answer that names two versions, or
  // one id only, has seen part of an import.
  const std::vector<std::string> ids = {kNic, "USB\\VID_1234&PID_5678"};
  std::vector<std::filesystem::path> packages;
  for (int version = 6; version < 26; ++version) packages.push_back(write_package(ids, std::to_string(version) + ".0.0.0"));
  quorvane::Drivers request;
  request.mutable_os()->set_version("10.0.0");
  request.mutable_os()->set_architecture("amd64");
  for (const auto& id : ids) {
    auto* device = request.add_driver();
    device->set_hardware_id(id);
    device->set_driver_version("5.5.0.0");
  }
  const std::string body = request.SerializeAsString();

  std::atomic<bool> importing{true};
  std::atomic<int> scans{0};
  std::atomic<int> torn{0};
  std::vector<std::thread> scanners;
  for (int i = 0; i < 3; ++i) {
    scanners.emplace_back([&] {
      httplib::Client client("127.0.0.1", port_);
      client.set_read_timeout(10, 0);
      while (importing) {
        auto result = client.Post("/newupdates/", body, "application/x-protobuf");
        quorvane::Drivers answer;
        if (!result || result->status != 200 || !answer.ParseFromString(result->body)) {
          ++torn;
          continue;
        }
        ++scans;
        if (answer.driver_size() == 0) continue;  // before the first import
        if (answer.driver_size() != 2 || answer.driver(0).driver_id() != answer.driver(1).driver_id()) ++torn;
      }
    });
  }
  {
    Catalog importer(location_);
    for (const auto& package : packages) import_package(importer, folder_ / "store", package);
  }
  importing = false;
  for (auto& scanner : scanners) scanner.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(scans, 0);
  auto last = scan("5.5.0.0");
  ASSERT_EQ(last.driver_size(), 1);
  EXPECT_EQ(last.driver(0).driver_version(), "25.0.0.0");
}

TEST_P(DriverServiceTest, TwoReplicasShareCatalogStoreAndKey) {
  // A second replica: its own connection, the same store and the same link key.
  ServiceOptions options;
  options.store_dir = folder_ / "store";
  options.clock = [this] { return now_.load(); };
  Replica replica(location_, options);

  auto imported = import_package(replica.catalog(), folder_ / "store", write_package({kNic}, "7.0.0.0")).package;
  auto answer = scan("4.0.0.0");  // through the first replica
  ASSERT_EQ(answer.driver_size(), 1);
  EXPECT_EQ(answer.driver(0).driver_id(), std::to_string(imported.id));
  auto download = replica.client().Get(path_of(answer.driver(0).download_url()).c_str());  // through the second
  ASSERT_TRUE(download);
  EXPECT_EQ(download->status, 200);
}

TEST_P(DriverServiceTest, PacedDownloadKeepsEveryByte) {
  // At 2 KB a second the package goes out in blocks of 204 bytes.
  ServiceOptions options;
  options.store_dir = folder_ / "store";
  options.clock = [this] { return now_.load(); };
  options.pace_bytes_per_second = 2048;
  Replica replica(location_, options);
  ASSERT_GT(package_bytes_.size(), 204u * 2);
  auto answer = scan("4.0.0.0");
  ASSERT_EQ(answer.driver_size(), 1);
  auto download = replica.client().Get(path_of(answer.driver(0).download_url()).c_str());
  ASSERT_TRUE(download);
  EXPECT_EQ(download->status, 200);
  EXPECT_EQ(download->body, package_bytes_);
}

TEST_P(DriverServiceTest, HealthRouteReportsTheCatalogAndTheIndex) {
  scan("4.0.0.0");
  auto health = client_->Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
  EXPECT_TRUE(std::regex_match(health->body, std::regex("ok catalog_version=1 index_version=1 index_age_s=\\d+ drivers=1 "
                                                        "targets=\\d+\n")))
      << health->body;
}

TEST_P(DriverServiceTest, StopAnswersTheRequestsInProgress) {
  server_.Post("/slow", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    response.set_content("done", "text/plain");
  });
  std::optional<int> status;
  std::string body;
  std::thread caller([&] {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(5, 0);
    if (auto result = client.Post("/slow", "", "text/plain")) {
      status = result->status;
      body = result->body;
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server_.stop();
  thread_.join();
  caller.join();
  EXPECT_EQ(status, 200);
  EXPECT_EQ(body, "done");
  EXPECT_FALSE(client_->Get("/healthz"));  // and nothing new is accepted
}

INSTANTIATE_TEST_SUITE_P(Catalogs, DriverServiceTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST(PostgresCatalog, ConnectsAgainAfterTheConnectionWasLost) {
  std::string location = qvtest::fresh_postgres_catalog();
  Catalog catalog(location);
  ASSERT_EQ(catalog.version(), 0);
  PgConnection admin(location);
  admin.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
             " WHERE pid <> pg_backend_pid() AND datname = current_database()");
  try {
    catalog.version();  // may fail: the loss is noticed here
  } catch (const CatalogError&) {
  }
  EXPECT_EQ(catalog.version(), 0);
  EXPECT_FALSE(catalog.package(1));  // the kept statements were prepared again
}

// Two replicas on one PostgreSQL catalog: an import through one is answered by the other,
// by the notice it is sent, or, with the notice off, by its periodic look at the counter.
TEST(PostgresReplicas, AnImportReachesTheOtherReplica) {
  struct Case {
    const char* label;
    bool watch_imports;
    std::chrono::milliseconds recheck;
  };
  const Case cases[] = {{"notice", true, std::chrono::hours(1)}, {"counter", false, std::chrono::milliseconds(300)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    qvserver::ScratchFolder folder("qv-server-test");
    std::string location = qvtest::fresh_postgres_catalog();
    Catalog importer(location);
    ServiceOptions options;
    options.store_dir = folder / "store";
    options.catalog_recheck = c.recheck;
    options.watch_imports = c.watch_imports;
    Replica replica(location, options);

    quorvane::Drivers request;
    request.mutable_os()->set_version("10.0.0");
    request.mutable_os()->set_architecture("amd64");
    request.add_driver()->set_hardware_id(kNic);
    auto answered = [&] {
      auto result = replica.client().Post("/newupdates/", request.SerializeAsString(), "application/x-protobuf");
      return result && result->status == 200 && !result->body.empty();
    };
    EXPECT_FALSE(answered());  // the index is loaded and the recheck interval started

    DemoDriver driver;
    driver.hardware_ids = {kNic};
    driver.version = "5.0.0.0";
    {
      std::ofstream out(folder / "net.zip", std::ios::binary);
      out << demo_package_zip(driver);
    }
    auto imported_at = std::chrono::steady_clock::now();
    import_package(importer, folder / "store", folder / "net.zip");
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() - imported_at < std::chrono::seconds(10)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      seen = answered();
    }
    EXPECT_TRUE(seen);
  }
}
