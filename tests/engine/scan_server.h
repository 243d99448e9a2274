// The reference driver server on an ephemeral loopback port, with a catalog of
// generated packages, for the engine's exchanges with a real server.
#pragma once

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "catalog.h"
#include "demo_packages.h"
#include "driver_service.h"
#include "inf_driver.h"
#include "scratch_folder.h"

// A string buffer that the server's thread writes and the test's thread reads.
class TLockedStringBuf : public std::stringbuf {
 public:
  std::string Text() {
    std::lock_guard lock(m_mutex);
    return str();
  }

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard lock(m_mutex);
    return std::stringbuf::xsputn(s, n);
  }
  int_type overflow(int_type c) override {
    std::lock_guard lock(m_mutex);
    return std::stringbuf::overflow(c);
  }

 private:
  std::recursive_mutex m_mutex;  // xsputn calls overflow
};

class TScanServer {
 public:
  TScanServer() : m_catalog((m_folder / "catalog.db").string()) {}
  ~TScanServer() { Stop(); }

  // Adds one package whose driver serves the hardware ids with the given version.
  void Offer(const std::vector<std::string>& hardwareIds, const std::string& version) {
    qvserver::DemoDriver driver;
    driver.hardware_ids = hardwareIds;
    driver.version = version;
    qvserver::PackageRecord record;
    record.file_name = qvserver::demo_package_name(hardwareIds.front()) + ".zip";
    record.size_kb = 12;
    record.md5 = std::to_string(++m_packages);
    qvserver::PackageInf inf{"driver/x.inf",
                             qvserver::read_inf_driver(qvserver::InfFile::parse(qvserver::demo_inf_text(driver)))};
    m_catalog.add_package(record, {inf}, [](const qvserver::PackageRecord&) {});
  }

  // Starts serving; release is the program version offered ("" for none).
  int Start(const std::string& release = "", const std::string& readme = "") {
    qvserver::ServiceOptions options;
    options.store_dir = m_folder / "store";
    if (!release.empty()) options.release = qvserver::ReleaseOffer{*qvserver::parse_driver_version(release), readme};
    m_service = std::make_unique<qvserver::DriverService>(m_catalog, qvserver::LinkSigner("test-secret", 600),
                                                          options, m_log);
    m_service->install(m_server);
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    for (int i = 0; i < 1000 && !m_server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return m_port;
  }

  void Stop() {
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }

  // Requests the server has logged, one per line.
  std::string Log() { return m_logBuffer.Text(); }
  qvserver::Catalog& Catalog() { return m_catalog; }
  const std::filesystem::path& Folder() const { return m_folder.path(); }

 private:
  qvserver::ScratchFolder m_folder{"qv-scan-test"};
  qvserver::Catalog m_catalog;
  TLockedStringBuf m_logBuffer;
  std::ostream m_log{&m_logBuffer};
  std::unique_ptr<qvserver::DriverService> m_service;
  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
  int m_packages = 0;
};
