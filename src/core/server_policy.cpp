#include "core/server_policy.h"

#include <charconv>

#include "platform/ascii_case.h"

namespace {

std::optional<std::string> PolicyText(IRegistry& registry, const char* name) {
  auto key = registry.OpenKey(TRegRoot::LocalMachine, QV_POLICY_KEY, TRegAccess::Read, false);
  if (!key) return std::nullopt;
  return key->ReadString(name);
}

}  // namespace

std::optional<TServerAddress> ParseServerAddress(const std::string& text, int32_t defaultPort) {
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

std::optional<TServerAddress> ServerPolicy(IRegistry& registry, int32_t defaultPort) {
  std::optional<std::string> text = PolicyText(registry, QV_POLICY_SERVER);
  if (!text) return std::nullopt;
  return ParseServerAddress(*text, defaultPort);
}

std::optional<std::string> SetupUrlPolicy(IRegistry& registry) {
  std::optional<std::string> url = PolicyText(registry, QV_POLICY_SETUP_URL);
  if (!url) return std::nullopt;
  for (const char* scheme : {"http://", "https://"})
    if (url->size() > std::string_view(scheme).size() && StartsWithIgnoringAsciiCase(*url, scheme)) return url;
  return std::nullopt;
}
