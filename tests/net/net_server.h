// The reference driver server on loopback (plain or TLS) with two packages: a small zip
// for OFFERED_ID and a larger file for BIG_ID, and the links to download them.
#pragma once

#include <httplib.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "catalog.h"
#include "demo_packages.h"
#include "driver_service.h"
#include "http_server.h"
#include "package_import.h"
#include "quorvane.pb.h"
#include "scratch_folder.h"

inline const char* const OFFERED_ID = "PCI\\VEN_8086&DEV_15BC";
inline const char* const BIG_ID = "PCI\\VEN_10EC&DEV_8168";
inline const char* const LINK_SECRET = "net-test-secret";
constexpr size_t BIG_PACKAGE_SIZE = 300 * 1024 + 123;  // not a multiple of the chunk size

class TNetServer {
 public:
  // bigSize: the size of BIG_ID's package file.
  explicit TNetServer(size_t bigSize = BIG_PACKAGE_SIZE) : m_catalog((m_folder / "catalog.db").string()) {
    qvserver::DemoDriver small;
    small.hardware_ids = {OFFERED_ID};
    WriteFile("small.zip", qvserver::demo_package_zip(small));
    m_small = qvserver::import_package(m_catalog, Store(), m_folder / "small.zip").package;

    qvserver::DemoDriver big;
    big.hardware_ids = {BIG_ID};
    WriteFile("big.inf", qvserver::demo_inf_text(big));
    std::string content(bigSize, '\0');
    std::mt19937 random(7);
    for (char& byte : content) byte = static_cast<char>(random());
    WriteFile("big.msi", content);
    m_big = qvserver::import_package(m_catalog, Store(), m_folder / "big.msi", m_folder / "big.inf").package;
  }
  ~TNetServer() { Stop(); }

  // Serves on 127.0.0.1:port (0: any free port), over TLS when files are given; the port, or 0.
  int Start(int port = 0, const std::optional<qvserver::TlsFiles>& tls = std::nullopt) {
    m_server = qvserver::make_http_server(tls);
    qvserver::ServiceOptions options;
    options.store_dir = Store();
    if (tls) options.link_scheme = "https";
    m_service = std::make_unique<qvserver::DriverService>(m_catalog, qvserver::LinkSigner(LINK_SECRET, 600), options,
                                                          m_log);
    m_service->install(*m_server);
    m_port = port == 0 ? m_server->bind_to_any_port("127.0.0.1")
                       : (m_server->bind_to_port("127.0.0.1", port) ? port : 0);
    if (m_port <= 0) return 0;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    for (int i = 0; i < 1000 && !m_server->is_running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return m_port;
  }

  void Stop() {
    if (m_server) m_server->stop();
    if (m_thread.joinable()) m_thread.join();
  }

  int Port() const { return m_port; }
  std::string Log() const { return m_log.str(); }
  const qvserver::ScratchFolder& Folder() const { return m_folder; }

  // A signed download link for the package.
  std::string Link(const qvserver::PackageRecord& package) const {
    return "http://127.0.0.1:" + std::to_string(m_port) +
           qvserver::LinkSigner(LINK_SECRET, 600).make(package.id, package.file_name, std::time(nullptr));
  }
  const qvserver::PackageRecord& Small() const { return m_small; }
  const qvserver::PackageRecord& Big() const { return m_big; }
  std::string StoredContent(const qvserver::PackageRecord& package) const {
    return ReadFile(Store() / package.stored_name);
  }

  // A scan request for one device of the given hardware id on Windows 10 x64.
  static std::string ScanRequest(const std::string& hardwareId) {
    quorvane::Drivers request;
    request.mutable_os()->set_name("Windows");
    request.mutable_os()->set_version("10.0.19045");
    request.mutable_os()->set_architecture("amd64");
    auto* device = request.add_driver();
    device->set_hardware_id(hardwareId);
    device->set_driver_version("1.0.0.0");
    return request.SerializeAsString();
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
  }

 private:
  std::filesystem::path Store() const { return m_folder / "store"; }
  void WriteFile(const std::string& name, const std::string& content) {
    std::ofstream(m_folder / name, std::ios::binary) << content;
  }

  qvserver::ScratchFolder m_folder{"qv-net-test"};
  qvserver::Catalog m_catalog;
  qvserver::PackageRecord m_small;
  qvserver::PackageRecord m_big;
  std::unique_ptr<httplib::Server> m_server;
  std::unique_ptr<qvserver::DriverService> m_service;
  std::ostringstream m_log;
  std::thread m_thread;
  int m_port = 0;
};
