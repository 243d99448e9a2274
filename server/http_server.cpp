// Makes the cpp-httplib server: plain HTTP, or HTTPS with a PEM certificate and key.
#include "http_server.h"

#include <httplib.h>

#include <stdexcept>

namespace qvserver {

std::unique_ptr<httplib::Server> make_http_server(const std::optional<TlsFiles>& tls) {
  if (!tls) return std::make_unique<httplib::Server>();
  auto server = std::make_unique<httplib::SSLServer>(tls->certificate.c_str(), tls->private_key.c_str());
  if (!server->is_valid())
    throw std::runtime_error("cannot start TLS with " + tls->certificate + " and " + tls->private_key);
  return server;
}

}  // namespace qvserver
