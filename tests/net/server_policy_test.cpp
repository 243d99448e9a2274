// The server and setup the administrator's policy names: "host[:port]" parsed, the
// values a data model and the update take, and what an unelevated user can set that
// the core ignores.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/server_policy.h"
#include "net/net_engine.h"
#include "net/net_server.h"
#include "net/test_certificates.h"
#include "support/sim_data_model.h"

namespace {

TEST(ServerPolicy, HostPortAndScheme) {
  struct Case {
    const char* text;
    bool valid;
    const char* host;
    int32_t port;
    bool tls;
  };
  const Case cases[] = {
      {"127.0.0.1:8080", true, "127.0.0.1", 8080, false},
      {"drivers.example.org", true, "drivers.example.org", 443, true},
      {"localhost:443", true, "localhost", 443, true},
      {"https://127.0.0.1:8443", true, "127.0.0.1", 8443, true},
      {"HTTPS://mirror.example.org", true, "mirror.example.org", 443, true},
      {"http://127.0.0.1:8443", true, "127.0.0.1", 8443, false},
      {"http://mirror.example.org", true, "mirror.example.org", 80, false},
      {"http://mirror.example.org:443", true, "mirror.example.org", 443, false},
      {"", false, "", 0, false},
      {":8080", false, "", 0, false},
      {"host:", false, "", 0, false},
      {"host:0", false, "", 0, false},
      {"host:65536", false, "", 0, false},
      {"host:80x", false, "", 0, false},
      {"https://", false, "", 0, false},
      {"https://host/path", false, "", 0, false},
      {"https://user@host", false, "", 0, false},
      {"ftp://host", false, "", 0, false},
  };
  for (const Case& c : cases) {
    auto address = ParseServerAddress(c.text, 443);
    ASSERT_EQ(address.has_value(), c.valid) << c.text;
    if (!address) continue;
    EXPECT_EQ(address->host, c.host) << c.text;
    EXPECT_EQ(address->port, c.port) << c.text;
    EXPECT_EQ(ServerUsesTls(*address), c.tls) << c.text;
  }
}

// The policy's scheme reaches the exchange: https:// on any port is TLS with the server's
// certificate checked, http:// is plain even where a bare host would be TLS, and a bare
// host keeps the port rule.
TEST(ServerPolicy, TheSchemeChoosesTheTransport) {
  TNetServer tlsServer, plainServer;
  TTestCertificates certificates, unknown;
  const std::string folder = tlsServer.Folder().path().string();
  ASSERT_TRUE(WriteTestCertificates(folder, certificates));
  std::filesystem::create_directories(folder + "/unknown");
  ASSERT_TRUE(WriteTestCertificates(folder + "/unknown", unknown));
  const int tlsPort = tlsServer.Start(0, qvserver::TlsFiles{certificates.certificateFile, certificates.keyFile});
  const int plainPort = plainServer.Start();
  ASSERT_GT(tlsPort, 0);
  ASSERT_GT(plainPort, 0);
  const std::string tls = "127.0.0.1:" + std::to_string(tlsPort);
  const std::string plain = "127.0.0.1:" + std::to_string(plainPort);

  struct Case {
    std::string policy;
    std::string trustedAuthority;
    bool exchanged;
  };
  const Case cases[] = {
      {"https://" + tls, certificates.caFile, true},
      {"https://" + tls, unknown.caFile, false},    // the certificate is checked
      {"https://" + plain, certificates.caFile, false},  // no TLS there: nothing is sent in clear text
      {"http://" + plain, certificates.caFile, true},
      {"http://" + tls, certificates.caFile, false},
      {plain, certificates.caFile, true},
      {tls, certificates.caFile, false},  // a bare host off port 443 stays plain
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.policy + (c.trustedAuthority == unknown.caFile ? " (its authority unknown)" : ""));
    TNetEngineFixture client;
    client.machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, c.policy);
    client.machine.internet.TrustCaFile(c.trustedAuthority);
    TDataManager& engine = client.Engine();
    std::vector<uint8_t> response;
    EXPECT_EQ(client.Scan(client.model->ServerPort(), TNetServer::ScanRequest(OFFERED_ID), &response, false,
                          client.model->ServerURL()),
              c.exchanged);
    (void)engine;
  }
}

// Attacks on the server choice: only a valid string under the HKLM policy key moves the
// data model off the built-in server; the environment and the user's own hive do not.
TEST(ServerPolicy, OnlyTheMachinePolicyChoosesTheServer) {
  struct Case {
    const char* name;
    void (*arrange)(TSimRegistry& registry);
    const char* host;
    int32_t port;
  };
  const Case cases[] = {
      {"no policy", [](TSimRegistry&) {}, QV_SERVER_HOST, QV_SERVER_PORT},
      {"policy names the test server",
       [](TSimRegistry& r) { r.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, "127.0.0.1:8080"); },
       "127.0.0.1", 8080},
      {"policy without a port: TLS on 443",
       [](TSimRegistry& r) { r.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, "mirror.example.org"); },
       "mirror.example.org", 443},
      {"the same value in the user's hive",
       [](TSimRegistry& r) { r.SetString(TRegRoot::CurrentUser, QV_POLICY_KEY, QV_POLICY_SERVER, "127.0.0.1:8080"); },
       QV_SERVER_HOST, QV_SERVER_PORT},
      {"policy value of the wrong type",
       [](TSimRegistry& r) { r.SetDword(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, 8080); },
       QV_SERVER_HOST, QV_SERVER_PORT},
      {"policy value not a host and port",
       [](TSimRegistry& r) { r.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, "127.0.0.1:99999"); },
       QV_SERVER_HOST, QV_SERVER_PORT},
      {"policy key not readable",
       [](TSimRegistry& r) {
         r.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, "127.0.0.1:8080");
         r.DenyKey(TRegRoot::LocalMachine, QV_POLICY_KEY);
       },
       QV_SERVER_HOST, QV_SERVER_PORT},
  };
  // What an unelevated user sets for every program it starts is no part of the choice.
  ::setenv("QUORVANE_SERVER", "attacker.example.org:8080", 1);
  for (const Case& c : cases) {
    TSimDataModelFixture fixture;
    c.arrange(fixture.machine.registry);
    TDriverDatamodel& model = fixture.Create();
    EXPECT_EQ(model.ServerURL(), c.host) << c.name;
    EXPECT_EQ(model.ServerPort(), c.port) << c.name;
  }
  ::unsetenv("QUORVANE_SERVER");
}

TEST(ServerPolicy, SetupUrl) {
  struct Case {
    const char* value;
    bool taken;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8080/download/qvsetup.exe", true},
      {"HTTPS://mirror.example.org/qvsetup.exe", true},
      {"file://C:/Users/Public/qvsetup.exe", false},
      {"\\\\share\\qvsetup.exe", false},
      {"https://", false},
      {"", false},
  };
  for (const Case& c : cases) {
    TSimRegistry registry;
    registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SETUP_URL, c.value);
    EXPECT_EQ(SetupUrlPolicy(registry), c.taken ? std::optional<std::string>(c.value) : std::nullopt) << c.value;
  }
  TSimRegistry empty;
  EXPECT_EQ(SetupUrlPolicy(empty), std::nullopt);
}

}  // namespace
