// Where the program finds its driver server and its setup when an administrator points
// it elsewhere: the policy values under HKLM "SOFTWARE\Policies\Quorvane", which only
// administrators can write (an IT department sets them to its own mirror).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

inline constexpr const char* QV_POLICY_KEY = "SOFTWARE\\Policies\\Quorvane";
// REG_SZ "host[:port]", "https://host[:port]" or "http://host[:port]": the driver server.
inline constexpr const char* QV_POLICY_SERVER = "Server";
// REG_SZ, an http:// or https:// address: the program's setup for its own update.
inline constexpr const char* QV_POLICY_SETUP_URL = "SetupUrl";

struct TServerAddress {
  std::string host;
  int32_t port = 0;
  // https:// true, http:// false; nothing for a bare host, whose port decides (443 TLS).
  std::optional<bool> tls;
};

// The host, port and scheme of "host[:port]", "https://host[:port]" or "http://host[:port]"
// (the scheme without case). The port defaults to defaultPort for a bare host, 443 for
// https:// and 80 for http://. Nothing for an empty host, a path, or a port that is not a
// number from 1 to 65535.
std::optional<TServerAddress> ParseServerAddress(const std::string& text, int32_t defaultPort);
// Whether exchanges with the server are TLS: as its scheme says, else on port 443 only.
bool ServerUsesTls(const TServerAddress& address);
// The policy's server; nothing when the value is missing, not a string or not valid.
std::optional<TServerAddress> ServerPolicy(IRegistry& registry, int32_t defaultPort);
// The policy's setup address; nothing when the value is missing, not a string or not
// an http:// or https:// address.
std::optional<std::string> SetupUrlPolicy(IRegistry& registry);
