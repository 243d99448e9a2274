// The HTTP routes of the driver server on cpp-httplib: "/newupdates/", "/client_status/",
// "/client_version/quorvane/", the signed package downloads under "/files/" and the
// health route "/healthz" for a load balancer. Scans are answered from the match index.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <unordered_map>

#include "catalog.h"
#include "link_cache.h"
#include "live_match_index.h"
#include "signed_links.h"
#include "version_offer.h"

namespace httplib {
class Server;
}

namespace qvserver {

struct ServiceOptions {
  std::filesystem::path store_dir;
  std::optional<ReleaseOffer> release;  // no offer: "/client_version/quorvane/" answers "false"
  std::filesystem::path setup_file;     // served as "/download/qvsetup.exe"; empty: that answers 404
  std::string public_url;               // "http://host:port" of the links; empty: the request's Host
  std::string fallback_host;            // used when the request has no usable Host header
  std::string link_scheme = "http";     // "https" when the server runs TLS
  std::size_t max_body_bytes = 16 * 1024 * 1024;
  std::size_t pace_bytes_per_second = 0;  // package downloads at about this rate; zero: unpaced
  std::function<std::int64_t()> clock;  // unix seconds; the system clock when empty
  // How often a scan asks the catalog whether an import happened; zero: every scan.
  std::chrono::milliseconds catalog_recheck{0};
  // Reload the index as soon as the catalog tells of an import (PostgreSQL's NOTIFY),
  // in the background; the recheck above is then the fallback.
  bool watch_imports = true;
};

class DriverService {
 public:
  DriverService(Catalog& catalog, LinkSigner signer, ServiceOptions options, std::ostream& log);
  // Installs the routes, the body limit, the error handlers and the access log: one line
  // per request, "ADDRESS METHOD PATH STATUS in=BYTES out=BYTES ms=TIME devices=N".
  void install(httplib::Server& server);
  // The host:port the links name when a request has no usable Host header.
  void set_fallback_host(std::string host) { options_.fallback_host = std::move(host); }

 private:
  // What the access log needs of a request in progress, kept per worker thread: a
  // request is handled from routing to its log line on one thread.
  struct RequestFacts {
    std::chrono::steady_clock::time_point start;
    int devices = 0;
  };

  std::int64_t now() const;
  void log_line(const std::string& line);
  void note_devices(int devices);
  void log_request(const std::string& address, const std::string& method, const std::string& path, int status,
                   std::size_t bytes_in, std::size_t bytes_out);

  Catalog& catalog_;
  LiveMatchIndex index_;
  LinkSigner signer_;
  LinkCache links_{signer_};
  ServiceOptions options_;
  std::ostream& log_;
  std::mutex log_mutex_;
  std::mutex facts_mutex_;
  std::unordered_map<std::thread::id, RequestFacts> facts_;
  std::unique_ptr<ImportWatch> import_watch_;  // last: it calls into index_ until it ends
};

}  // namespace qvserver
