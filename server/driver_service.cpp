// The HTTP routes of the driver server on cpp-httplib.
#include "driver_service.h"

#include <httplib.h>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "ascii_text.h"
#include "engine/server_contract.h"
#include "scan_answer.h"

namespace qvserver {

namespace {

// Streams a file as the answer; 404 with `missing` when it cannot be read. A pace above
// zero sends it at about that many bytes a second, in blocks of a tenth of a second.
void serve_file(httplib::Response& response, const std::filesystem::path& path, const std::string& missing,
                std::size_t pace_bytes_per_second = 0) {
  auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
  std::error_code error;
  auto size = std::filesystem::file_size(path, error);
  if (!*file || error) {
    response.status = 404;
    response.set_content(missing, "text/plain");
    return;
  }
  response.set_content_provider(
      static_cast<size_t>(size), "application/octet-stream",
      [file, pace_bytes_per_second](size_t offset, size_t length, httplib::DataSink& sink) {
        char block[65536];
        size_t wanted = std::min(length, sizeof block);
        if (pace_bytes_per_second > 0) wanted = std::min(wanted, std::max<size_t>(pace_bytes_per_second / 10, 1));
        file->seekg(static_cast<std::streamoff>(offset));
        file->read(block, static_cast<std::streamsize>(wanted));
        auto got = file->gcount();
        if (got <= 0) return false;
        if (!sink.write(block, static_cast<size_t>(got))) return false;
        if (pace_bytes_per_second > 0)
          std::this_thread::sleep_for(std::chrono::microseconds(static_cast<size_t>(got) * 1'000'000 / pace_bytes_per_second));
        return true;
      });
}

constexpr const char* kProtobufType = "application/x-protobuf";

// Host header values that are safe to copy into a link: name or address and a port.
bool is_plain_host(const std::string& host) {
  if (host.empty() || host.size() > 255) return false;
  for (char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
              c == ':' || c == '[' || c == ']';
    if (!ok) return false;
  }
  return true;
}

std::optional<std::int64_t> parse_id(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t id = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  return id;
}

void forbid(httplib::Response& response) {
  response.status = 403;
  response.set_content("the download link has expired or is not valid; scan again\n", "text/plain");
}

}  // namespace

DriverService::DriverService(Catalog& catalog, LinkSigner signer, ServiceOptions options, std::ostream& log)
    : catalog_(catalog),
      index_(catalog, options.catalog_recheck),
      signer_(std::move(signer)),
      options_(std::move(options)),
      log_(log) {
  if (options_.watch_imports) {
    import_watch_ = catalog_.watch_imports([this] {
      try {
        index_.refresh();
      } catch (const std::exception& error) {
        log_line(std::string("cannot reload the match index: ") + error.what());
      }
    });
  }
}

std::int64_t DriverService::now() const {
  if (options_.clock) return options_.clock();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void DriverService::log_line(const std::string& line) {
  std::lock_guard lock(log_mutex_);
  log_ << line << std::endl;
}

void DriverService::note_devices(int devices) {
  std::lock_guard lock(facts_mutex_);
  facts_[std::this_thread::get_id()].devices = devices;
}

void DriverService::log_request(const std::string& address, const std::string& method, const std::string& path,
                                int status, std::size_t bytes_in, std::size_t bytes_out) {
  auto end = std::chrono::steady_clock::now();
  RequestFacts facts{end, 0};
  {
    std::lock_guard lock(facts_mutex_);
    auto found = facts_.find(std::this_thread::get_id());
    if (found != facts_.end()) {
      facts = found->second;
      facts_.erase(found);
    }
  }
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.2f", std::chrono::duration<double, std::milli>(end - facts.start).count());
  log_line(address + " " + method + " " + path + " " + std::to_string(status) + " in=" + std::to_string(bytes_in) +
           " out=" + std::to_string(bytes_out) + " ms=" + ms + " devices=" + std::to_string(facts.devices));
}

void DriverService::install(httplib::Server& server) {
  server.set_payload_max_length(options_.max_body_bytes);

  server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
    std::lock_guard lock(facts_mutex_);
    facts_[std::this_thread::get_id()] = RequestFacts{std::chrono::steady_clock::now(), 0};
    return httplib::Server::HandlerResponse::Unhandled;
  });

  server.Post(QV_NEW_UPDATES_ROUTE, [this](const httplib::Request& request, httplib::Response& response) {
    ScanRequest scan;
    switch (read_scan_request(request.body, scan)) {
      case ScanRead::ok: break;
      case ScanRead::malformed:
        response.set_content("error: the body is not a scan request\n", "text/plain");
        return;
      case ScanRead::too_many_ids:
        response.set_content("error: a scan request names at most " + std::to_string(kMaxScanIds) +
                                 " ids in all and " + std::to_string(kMaxCompatibleIdsPerDevice) +
                                 " compatible ids per device\n",
                             "text/plain");
        return;
    }
    note_devices(static_cast<int>(scan.devices.size()));
    std::string base = options_.public_url;
    if (base.empty()) {
      std::string host = request.get_header_value("Host");
      base = options_.link_scheme + "://" + (is_plain_host(host) ? host : options_.fallback_host);
    }
    std::int64_t signed_at = now();
    response.body = answer_scan(*index_.current(), scan, [&](const DriverOffer& offer, std::string& link) {
      link = base;
      links_.append_link(offer.package_id, offer.file_name, signed_at, link);
    });
    response.set_header("Content-Type", kProtobufType);  // as set_content, without copying the answer
  });

  server.Post(QV_CLIENT_STATUS_ROUTE, [this](const httplib::Request& request, httplib::Response& response) {
    quorvane::ClientStatus status;
    bool confirmed = status.ParseFromString(request.body) && status.downloads_size() > 0;
    for (const auto& download : status.downloads()) {
      auto id = parse_id(trim(download.driver_id()));
      auto package = id ? catalog_.package(*id) : std::nullopt;
      if (!package || package->md5 != ascii_lower(trim(download.driver_checksum()))) confirmed = false;
    }
    response.set_content(confirmed ? "true" : "false", "text/plain");
  });

  server.Post(QV_CLIENT_VERSION_ROUTE, [this](const httplib::Request& request, httplib::Response& response) {
    quorvane::ClientVersion caller;
    std::optional<quorvane::ClientVersion> release;
    if (options_.release && caller.ParseFromString(request.body)) release = newer_release(*options_.release, caller);
    if (release)
      response.set_content(release->SerializeAsString(), kProtobufType);
    else
      response.set_content("false", "text/plain");
  });

  server.Get(R"(/files/([^/]+))", [this](const httplib::Request& request, httplib::Response& response) {
    // The link's name is compared with the catalog, never used as a path: the file
    // served is the one the catalog stored under that id.
    std::string name = request.matches[1];
    LinkCheck check = signer_.check(name, request.get_param_value("expires"), request.get_param_value("sig"), now());
    auto underscore = name.find('_');
    auto id = underscore == std::string::npos ? std::nullopt : parse_id(std::string_view(name).substr(0, underscore));
    auto package = id ? catalog_.package(*id) : std::nullopt;
    if (check != LinkCheck::valid || !package || package->file_name != name.substr(underscore + 1)) {
      forbid(response);
      return;
    }
    serve_file(response, options_.store_dir / package->stored_name, "the package file is missing from the store\n",
               options_.pace_bytes_per_second);
  });

  server.Get(QV_SETUP_ROUTE, [this](const httplib::Request&, httplib::Response& response) {
    if (options_.setup_file.empty()) {
      response.status = 404;
      response.set_content("no setup program is offered\n", "text/plain");
      return;
    }
    serve_file(response, options_.setup_file, "the offered setup program is missing\n");
  });

  server.Get("/healthz", [this](const httplib::Request&, httplib::Response& response) {
    auto index = index_.loaded();
    auto age = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - index->loaded_at());
    std::string facts = " index_version=" + std::to_string(index->version()) + " index_age_s=" +
                        std::to_string(age.count()) + " drivers=" + std::to_string(index->driver_count()) +
                        " targets=" + std::to_string(index->target_count()) + "\n";
    try {
      std::int64_t version = catalog_.version();
      response.set_content("ok catalog_version=" + std::to_string(version) + facts, "text/plain");
    } catch (const CatalogError& error) {
      response.status = 503;
      response.set_content(std::string("unavailable: ") + error.what() + facts, "text/plain");
    }
  });

  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
    std::string text = "error: ";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      text += e.what();
    } catch (...) {
      text += "unknown failure";
    }
    response.status = 500;
    response.set_content(text + "\n", "text/plain");
  });

  server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
    log_request(request.remote_addr, request.method, request.path, response.status, request.body.size(),
                response.content_length_ ? response.content_length_ : response.body.size());
  });
}

}  // namespace qvserver
