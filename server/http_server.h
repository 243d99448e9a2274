// Makes the cpp-httplib server: plain HTTP, or HTTPS with a PEM certificate and key.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace httplib {
class Server;
}

namespace qvserver {

struct TlsFiles {
  std::string certificate;  // PEM
  std::string private_key;  // PEM
};

// Raises std::runtime_error when the certificate or key cannot be loaded.
std::unique_ptr<httplib::Server> make_http_server(const std::optional<TlsFiles>& tls);

}  // namespace qvserver
