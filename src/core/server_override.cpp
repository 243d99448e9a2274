#include "core/server_override.h"

#include <charconv>

std::optional<TServerAddress> ParseServerOverride(const std::string& text, int32_t defaultPort) {
  TServerAddress address{text, defaultPort};
  size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    address.host = text.substr(0, colon);
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, address.port);
    if (error != std::errc() || end != last || first == last || address.port < 1 || address.port > 65535)
      return std::nullopt;
  }
  if (address.host.empty()) return std::nullopt;
  return address;
}
