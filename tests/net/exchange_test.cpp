// SendReceive against the reference server on loopback: the answers, the failures that
// show the server message and those that stay silent, the proxy with and without
// credentials, and TLS on port 443.
#include <gtest/gtest.h>

#include "net/net_engine.h"
#include "net/net_server.h"
#include "net/test_certificates.h"
#include "net/tiny_proxy.h"

namespace {

class ExchangeTest : public TNetEngineFixture, public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(server.Start(), 0); }
  TNetServer server;
};

TEST_F(ExchangeTest, AnswersAreReadWholeIntoTheStream) {
  struct Case {
    const char* name;
    std::string body;
    bool (*check)(const std::string& answer);
  };
  const Case cases[] = {
      {"newer driver", TNetServer::ScanRequest(OFFERED_ID),
       [](const std::string& answer) {
         quorvane::Drivers drivers;
         return drivers.ParseFromString(answer) && drivers.driver_size() == 1 &&
                drivers.driver(0).hardware_id() == OFFERED_ID;
       }},
      {"no newer driver: empty", TNetServer::ScanRequest("PCI\\VEN_FFFF&DEV_0001"),
       [](const std::string& answer) { return answer.empty(); }},
      {"undecodable body: error", std::string("\xff\xfe\x01 random bytes", 17),
       [](const std::string& answer) { return answer.rfind("error", 0) == 0; }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> response;
    EXPECT_TRUE(Scan(server.Port(), c.body, &response)) << c.name;
    EXPECT_TRUE(c.check(Text(response))) << c.name << ": " << Text(response);
  }
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ExchangeTest, WithoutAStreamTheAnswerIsReadAndDropped) {
  EXPECT_TRUE(Scan(server.Port(), TNetServer::ScanRequest(OFFERED_ID), nullptr));
  server.Stop();  // the server logs a request after answering it
  EXPECT_NE(server.Log().find("/newupdates/"), std::string::npos);
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ExchangeTest, DirectFailuresShowTheMessageOnlyWhenSendingFails) {
  struct Case {
    const char* name;
    std::string host;
    int port;
    bool showMsg;
    size_t messages;
  };
  const Case cases[] = {
      {"connection cannot be made", "", server.Port(), true, 0},
      {"nobody listening, message wanted", "127.0.0.1", 1, true, 1},
      {"nobody listening, no message", "127.0.0.1", 1, false, 0},
  };
  for (const Case& c : cases) {
    sink.shown.clear();
    std::vector<uint8_t> response;
    EXPECT_FALSE(Scan(c.port, TNetServer::ScanRequest(OFFERED_ID), &response, c.showMsg, c.host)) << c.name;
    ASSERT_EQ(sink.shown.size(), c.messages) << c.name;
    if (c.messages == 1) {
      EXPECT_EQ(sink.shown[0].title, "Quorvane");
      EXPECT_EQ(sink.shown[0].text, SERVER_PROBLEM_TEXT);
      EXPECT_EQ(sink.shown[0].kind, 6);
    }
  }
}

TEST_F(ExchangeTest, ThroughTheProxyTheServerAnswers) {
  TTinyProxy proxy(server.Folder().path().string());
  ASSERT_GT(proxy.Port(), 0) << "tinyproxy could not be started";
  UseProxy(proxy.Port());
  std::vector<uint8_t> response;
  ASSERT_TRUE(Scan(server.Port(), TNetServer::ScanRequest(OFFERED_ID), &response));
  quorvane::Drivers drivers;
  EXPECT_TRUE(drivers.ParseFromString(Text(response)) && drivers.driver_size() == 1);
  EXPECT_NE(proxy.Log().find("/newupdates/"), std::string::npos) << proxy.Log();
}

TEST_F(ExchangeTest, ProxyCredentialsAreSentOnlyWhenBothAreGiven) {
  TTinyProxy proxy(server.Folder().path().string(), "qvuser", "s3cret");
  ASSERT_GT(proxy.Port(), 0) << "tinyproxy could not be started";
  struct Case {
    const char* user;
    const char* password;
    bool reachesServer;
  };
  const Case cases[] = {{"qvuser", "s3cret", true}, {"qvuser", "", false}, {"", "s3cret", false}};
  for (const Case& c : cases) {
    UseProxy(proxy.Port(), c.user, c.password);
    std::vector<uint8_t> response;
    // Without credentials tinyproxy answers 407 and resets the connection, so the
    // exchange may also fail while reading; either way the server is not reached.
    bool exchanged = Scan(server.Port(), TNetServer::ScanRequest(OFFERED_ID), &response);
    quorvane::Drivers drivers;
    bool serverAnswer = exchanged && drivers.ParseFromString(Text(response)) && drivers.driver_size() == 1;
    EXPECT_EQ(serverAnswer, c.reachesServer) << "user '" << c.user << "' password '" << c.password << "'";
  }
  server.Stop();
  EXPECT_EQ(server.Log().find("/newupdates/"), server.Log().rfind("/newupdates/")) << "only one request got through";
}

TEST_F(ExchangeTest, AnUnreachableProxyShowsTheMessage) {
  UseProxy(1);
  EXPECT_FALSE(Scan(server.Port(), TNetServer::ScanRequest(OFFERED_ID), nullptr));
  EXPECT_EQ(sink.shown.size(), 1u);
}

// Port 443 means TLS on the direct path; the certificate is checked against the test's
// authority, and a server the client does not trust is a failed exchange.
TEST(SecureExchange, Port443UsesVerifiedTls) {
  TNetServer server;
  TTestCertificates certificates;
  ASSERT_TRUE(WriteTestCertificates(server.Folder().path().string(), certificates));
  if (server.Start(443, qvserver::TlsFiles{certificates.certificateFile, certificates.keyFile}) != 443)
    GTEST_SKIP() << "127.0.0.1:443 cannot be bound here";

  TNetEngineFixture client;
  client.machine.internet.TrustCaFile(certificates.caFile);
  std::vector<uint8_t> response;
  ASSERT_TRUE(client.Scan(443, TNetServer::ScanRequest(OFFERED_ID), &response));
  quorvane::Drivers drivers;
  ASSERT_TRUE(drivers.ParseFromString(TNetEngineFixture::Text(response)));
  ASSERT_EQ(drivers.driver_size(), 1);
  EXPECT_EQ(drivers.driver(0).download_url().rfind("https://127.0.0.1", 0), 0u) << drivers.driver(0).download_url();

  TNetEngineFixture untrusting;
  EXPECT_FALSE(untrusting.Scan(443, TNetServer::ScanRequest(OFFERED_ID), nullptr));
  EXPECT_EQ(untrusting.sink.shown.size(), 1u);
}

}  // namespace
