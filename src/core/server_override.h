// The server host override "host[:port]" (QUORVANE_SERVER) for development, tests and
// self-hosting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TServerAddress {
  std::string host;
  int32_t port = 0;
};

// The host and port of "host[:port]"; the port defaults to defaultPort. Nothing for an
// empty host or a port that is not a number from 1 to 65535.
std::optional<TServerAddress> ParseServerOverride(const std::string& text, int32_t defaultPort);
