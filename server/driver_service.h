// The HTTP routes of the driver server on cpp-httplib: "/newupdates/", "/client_status/",
// "/client_version/quorvane/" and the signed package downloads under "/files/".
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "catalog.h"
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
  std::function<std::int64_t()> clock;  // unix seconds; the system clock when empty
};

class DriverService {
 public:
  DriverService(Catalog& catalog, LinkSigner signer, ServiceOptions options, std::ostream& log);
  // Installs the routes, the body limit, the error handlers and the one-line request log.
  void install(httplib::Server& server);
  // The host:port the links name when a request has no usable Host header.
  void set_fallback_host(std::string host) { options_.fallback_host = std::move(host); }

 private:
  std::int64_t now() const;
  void log_line(const std::string& line);

  Catalog& catalog_;
  LinkSigner signer_;
  ServiceOptions options_;
  std::ostream& log_;
  std::mutex log_mutex_;
};

}  // namespace qvserver
