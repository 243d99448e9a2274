#include "core/server_policy.h"

#include <charconv>
#include <string_view>
#include <tuple>

#include "platform/ascii_case.h"

namespace {

std::optional<std::string> PolicyText(IRegistry& registry, const char* name) {
  auto key = registry.OpenKey(TRegRoot::LocalMachine, QV_POLICY_KEY, TRegAccess::Read, false);
  if (!key) return std::nullopt;
  return key->ReadString(name);
}

}  // namespace

std::optional<TServerAddress> ParseServerAddress(const std::string& given, int32_t defaultPort) {
  std::string text = given;
  std::optional<bool> tls;
  for (const auto& [scheme, secure, port] : {std::tuple{"https://", true, 443}, std::tuple{"http://", false, 80}}) {
    if (StartsWithIgnoringAsciiCase(text, scheme)) {
      text.erase(0, std::string_view(scheme).size());
      tls = secure;
      defaultPort = port;
      break;
    }
  }
  if (text.find_first_of("/\\?#@") != std::string::npos) return std::nullopt;
  TServerAddress address{text, defaultPort, tls};
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

bool ServerUsesTls(const TServerAddress& address) { return address.tls.value_or(address.port == 443); }

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
