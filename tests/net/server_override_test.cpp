// QUORVANE_SERVER "host[:port]": the host and port it names, and the texts it refuses.
#include <gtest/gtest.h>

#include "core/server_override.h"

namespace {

TEST(ServerOverride, HostAndPort) {
  struct Case {
    const char* text;
    bool valid;
    const char* host;
    int32_t port;
  };
  const Case cases[] = {
      {"127.0.0.1:8080", true, "127.0.0.1", 8080},
      {"drivers.example.org", true, "drivers.example.org", 443},
      {"localhost:443", true, "localhost", 443},
      {"", false, "", 0},
      {":8080", false, "", 0},
      {"host:", false, "", 0},
      {"host:0", false, "", 0},
      {"host:65536", false, "", 0},
      {"host:80x", false, "", 0},
  };
  for (const Case& c : cases) {
    auto address = ParseServerOverride(c.text, 443);
    ASSERT_EQ(address.has_value(), c.valid) << c.text;
    if (!address) continue;
    EXPECT_EQ(address->host, c.host) << c.text;
    EXPECT_EQ(address->port, c.port) << c.text;
  }
}

}  // namespace
