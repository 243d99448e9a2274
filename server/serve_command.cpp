// "quorvane-server serve": runs the driver service until SIGINT or SIGTERM; on either it
// stops accepting connections and ends once the requests in progress are answered.
#include "commands.h"

#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "ascii_text.h"
#include "catalog.h"
#include "driver_service.h"
#include "http_server.h"
#include "server_paths.h"

namespace qvserver {

namespace {

struct ListenAddress {
  std::string host = "127.0.0.1";
  int port = 8080;
};

ListenAddress listen_address(const Arguments& args) {
  ListenAddress address;
  if (auto listen = args.get("listen")) {
    auto colon = listen->rfind(':');
    if (colon == std::string::npos || colon == 0) throw UsageError("--listen needs HOST:PORT");
    address.host = listen->substr(0, colon);
    Arguments port_only;
    port_only.options["listen port"] = listen->substr(colon + 1);
    address.port = static_cast<int>(port_only.number_or("listen port", 0, 0, 65535));
  }
  address.host = args.get_or("host", address.host);
  address.port = static_cast<int>(args.number_or("port", address.port, 0, 65535));
  return address;
}

// The key that signs download links, from --link-key FILE. Replicas on one PostgreSQL
// catalog check each other's links, so they share a key from a file; it is never kept
// in a shared catalog.
std::optional<std::string> link_key_from_file(const Arguments& args) {
  auto file = args.get("link-key");
  if (!file) return std::nullopt;
  std::ifstream in(*file, std::ios::binary);
  if (!in) throw UsageError("cannot read the link key " + *file);
  std::string key((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  key = std::string(trim(key));
  if (key.size() < 32) throw UsageError("the link key " + *file + " needs at least 32 characters");
  return key;
}

// A catalog of its own keeps a generated key.
std::string link_secret(Catalog& catalog) {
  if (auto secret = catalog.setting("link_secret")) return *secret;
  std::string secret = random_secret();
  catalog.set_setting("link_secret", secret);
  return secret;
}

// Stops the server on SIGINT or SIGTERM. The signals are blocked in every thread (the
// mask is inherited), and this thread alone takes them.
class SignalStopper {
 public:
  explicit SignalStopper(httplib::Server& server) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &server] {
      timespec tick{0, 200'000'000};
      while (!done_) {
        if (sigtimedwait(&signals_, nullptr, &tick) > 0) {
          server.stop();
          return;
        }
      }
    });
  }
  ~SignalStopper() {
    done_ = true;
    thread_.join();
  }
  SignalStopper(const SignalStopper&) = delete;
  SignalStopper& operator=(const SignalStopper&) = delete;

 private:
  sigset_t signals_{};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace

int run_serve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed = parse_arguments(args, {"catalog", "db", "store", "port", "listen", "host", "public-url", "link-ttl",
                                            "offer-version", "offer-readme", "offer-setup", "tls-cert", "tls-key", "max-body-kb",
                                            "threads", "link-key", "pace-kb-per-s"});
  ServerPaths paths = server_paths(parsed, std::getenv("QUORVANE_CATALOG"));
  ListenAddress address = listen_address(parsed);

  ServiceOptions options;
  options.store_dir = paths.store;
  options.public_url = parsed.get_or("public-url", "");
  options.max_body_bytes = static_cast<size_t>(parsed.number_or("max-body-kb", 16 * 1024, 1, 1024 * 1024)) * 1024;
  options.pace_bytes_per_second = static_cast<size_t>(parsed.number_or("pace-kb-per-s", 0, 0, 1024 * 1024)) * 1024;
  if (auto version = parsed.get("offer-version")) {
    auto parsed_version = parse_driver_version(*version);
    if (!parsed_version) throw UsageError("--offer-version needs a version such as 1.2.0.5");
    options.release = ReleaseOffer{*parsed_version, parsed.get_or("offer-readme", "")};
  }
  if (auto setup = parsed.get("offer-setup")) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(*setup, error)) throw UsageError("--offer-setup needs the setup program's file");
    options.setup_file = *setup;
  }
  auto ttl = parsed.number_or("link-ttl", 3600, 1, 365LL * 24 * 3600);
  auto threads = static_cast<std::size_t>(parsed.number_or("threads", CPPHTTPLIB_THREAD_POOL_COUNT, 1, 1024));

  auto cert = parsed.get("tls-cert");
  auto key = parsed.get("tls-key");
  if (cert.has_value() != key.has_value()) throw UsageError("--tls-cert and --tls-key go together");
  options.link_scheme = cert ? "https" : "http";
  // Asking SQLite for the import counter costs microseconds, so every scan asks. A
  // shared PostgreSQL tells every replica of an import (NOTIFY) and the index is reloaded
  // at once; its counter is asked every few seconds only, should a notice be lost.
  if (is_postgresql_url(paths.catalog)) options.catalog_recheck = std::chrono::seconds(5);
  auto link_key = link_key_from_file(parsed);
  if (is_postgresql_url(paths.catalog) && !link_key)
    throw UsageError("a PostgreSQL catalog needs --link-key FILE, the key every replica shares");
  Catalog catalog(paths.catalog);
  auto server = make_http_server(cert ? std::optional<TlsFiles>(TlsFiles{*cert, *key}) : std::nullopt);

  server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server->set_tcp_nodelay(true);  // an answer's last segment is not held back for an acknowledgement
  // cpp-httplib closes a kept-alive connection after 5 requests by default; reconnecting
  // clients then crowd its short listen queue.
  server->set_keep_alive_max_count(100);
  DriverService service(catalog, LinkSigner(link_key ? *link_key : link_secret(catalog), ttl), options, std::cerr);
  service.install(*server);
  SignalStopper stopper(*server);
  int port = address.port == 0 ? server->bind_to_any_port(address.host) : address.port;
  if (address.port != 0 && !server->bind_to_port(address.host, address.port)) port = -1;
  if (port <= 0) {
    err << "cannot listen on " << address.host << ":" << address.port << "\n";
    return 1;
  }
  std::string host_port = address.host + ":" + std::to_string(port);
  service.set_fallback_host(host_port);
  out << "listening on " << (cert ? "https://" : "http://") << host_port << std::endl;
  server->listen_after_bind();
  return 0;
}

}  // namespace qvserver
