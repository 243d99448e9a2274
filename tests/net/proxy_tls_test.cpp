// The exchange on port 443 through an HTTP proxy (tinyproxy): the request is tunnelled
// with CONNECT and verified end to end, so the proxy sees no request line and no body,
// and a server whose certificate comes from an authority the client does not know
// fails with the server message without anything sent in clear.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "net/net_engine.h"
#include "net/net_server.h"
#include "net/test_certificates.h"
#include "net/tiny_proxy.h"

namespace {

TEST(ProxyTls, Port443IsTunnelledAndVerified) {
  TNetServer server;
  TTestCertificates certificates, unknown;
  const std::string folder = server.Folder().path().string();
  ASSERT_TRUE(WriteTestCertificates(folder, certificates));
  std::filesystem::create_directories(folder + "/unknown");
  ASSERT_TRUE(WriteTestCertificates(folder + "/unknown", unknown));
  // Another test of the machine may hold the port for a moment.
  int port = 0;
  for (int attempt = 0; attempt < 40 && port != 443; ++attempt) {
    port = server.Start(443, qvserver::TlsFiles{certificates.certificateFile, certificates.keyFile});
    if (port != 443) std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  if (port != 443) GTEST_SKIP() << "127.0.0.1:443 cannot be bound here";

  struct Case {
    const char* name;
    std::string trustedAuthority;
    bool exchanged;
    std::string proxyFolder;  // each tinyproxy logs to a file of its own
  };
  const Case cases[] = {
      {"the server's authority trusted", certificates.caFile, true, folder + "/proxy-trusting"},
      {"the server's certificate from an unknown authority", unknown.caFile, false, folder + "/proxy-unknown"},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(c.proxyFolder);
    TTinyProxy proxy(c.proxyFolder);
    ASSERT_GT(proxy.Port(), 0) << "tinyproxy could not be started";
    TNetEngineFixture client;
    client.machine.internet.TrustCaFile(c.trustedAuthority);
    client.UseProxy(proxy.Port());
    std::vector<uint8_t> response;
    const bool exchanged = client.Scan(443, TNetServer::ScanRequest(OFFERED_ID), &response);
    ASSERT_EQ(exchanged, c.exchanged) << c.name;
    if (exchanged) {
      quorvane::Drivers drivers;
      ASSERT_TRUE(drivers.ParseFromString(TNetEngineFixture::Text(response))) << c.name;
      ASSERT_EQ(drivers.driver_size(), 1) << c.name;
      EXPECT_TRUE(client.sink.shown.empty()) << c.name;
    } else {
      ASSERT_EQ(client.sink.shown.size(), 1u) << c.name;
      EXPECT_EQ(client.sink.shown[0].text, SERVER_PROBLEM_TEXT) << c.name;
    }
    // The proxy carried a tunnel to the server and saw nothing of the request itself.
    const std::string log = proxy.Log();
    EXPECT_NE(log.find("CONNECT 127.0.0.1:443"), std::string::npos) << c.name << "\n" << log;
    EXPECT_EQ(log.find("/newupdates/"), std::string::npos) << c.name << "\n" << log;
    EXPECT_EQ(log.find("POST"), std::string::npos) << c.name << "\n" << log;
  }
  server.Stop();
  // Only the trusting client's request reached the server.
  const std::string log = server.Log();
  EXPECT_NE(log.find("/newupdates/"), std::string::npos) << log;
  EXPECT_EQ(log.find("/newupdates/"), log.rfind("/newupdates/")) << log;
}

}  // namespace
