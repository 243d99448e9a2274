// The driver service end to end over loopback: scan answer, signed download, checksum
// confirmation, version offer, and bad requests (undecodable, oversized, forged links).
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <random>
#include <sstream>
#include <thread>

#include "catalog.h"
#include "demo_packages.h"
#include "driver_service.h"
#include "md5_digest.h"
#include "package_import.h"
#include "quorvane.pb.h"
#include "scratch_folder.h"

using namespace qvserver;

namespace {

constexpr const char* kNic = "PCI\\VEN_10EC&DEV_8168";
constexpr std::int64_t kLinkLifetime = 600;

// A catalog with one imported package and the service on an ephemeral loopback port.
class DriverServiceTest : public ::testing::Test {
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
  Catalog catalog_{(folder_ / "catalog.db").string()};
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

TEST_F(DriverServiceTest, ScanDownloadAndConfirm) {
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

TEST_F(DriverServiceTest, NothingNewerIsAnEmptyBody) {
  EXPECT_EQ(scan("5.0.0.0", "2026-01-01").driver_size(), 0);
  quorvane::Drivers empty;
  EXPECT_EQ(post("/newupdates/", empty.SerializeAsString()), "");
}

TEST_F(DriverServiceTest, UndecodableAndOversizedRequests) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_TRUE(post("/newupdates/", noise).starts_with("error"));
  EXPECT_TRUE(post("/newupdates/", std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 11)).starts_with("error"));

  auto oversized = client_->Post("/newupdates/", std::string(65 * 1024, 'x'), "application/x-protobuf");
  if (oversized) {
    EXPECT_EQ(oversized->status, 413);  // the server may also just close the connection
  }
  EXPECT_EQ(scan("4.0.0.0").driver_size(), 1);          // and it still serves
}

TEST_F(DriverServiceTest, RefusedLinksAnswer403) {
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

TEST_F(DriverServiceTest, VersionOffer) {
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

TEST_F(DriverServiceTest, OfferedSetupIsServed) {
  auto setup = client_->Get("/download/qvsetup.exe");
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->status, 200);
  EXPECT_EQ(setup->body, setup_bytes_);
  std::filesystem::remove(folder_ / "qvsetup.exe");
  auto missing = client_->Get("/download/qvsetup.exe");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
}

TEST_F(DriverServiceTest, ConcurrentScansAllAnswered) {
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

TEST_F(DriverServiceTest, EveryRequestIsLoggedOnOneLine) {
  scan("4.0.0.0");
  client_->Get("/nowhere");
  server_.stop();
  thread_.join();
  std::string log = log_.str();
  EXPECT_NE(log.find("POST /newupdates/ 200"), std::string::npos) << log;
  EXPECT_NE(log.find("GET /nowhere 404"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}
