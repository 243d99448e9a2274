// The libcurl port over TLS on any port: the secure flag makes the request https, the
// peer is verified against the trusted authority, and an untrusted peer is an error.
#include <gtest/gtest.h>

#include "net/net_server.h"
#include "net/test_certificates.h"
#include "platform/native/curl_internet.h"

namespace {

TEST(CurlTls, TheSecureFlagVerifiesThePeer) {
  TNetServer server;
  TTestCertificates certificates;
  ASSERT_TRUE(WriteTestCertificates(server.Folder().path().string(), certificates));
  int port = server.Start(0, qvserver::TlsFiles{certificates.certificateFile, certificates.keyFile});
  ASSERT_GT(port, 0);
  const std::string body = TNetServer::ScanRequest(OFFERED_ID);

  struct Case {
    const char* name;
    std::string caFile;
    bool sent;
    uint32_t error;
  };
  const Case cases[] = {
      {"trusted authority", certificates.caFile, true, ERROR_SUCCESS},
      {"server not trusted", "", false, ERROR_INTERNET_SEC_INVALID_CERT},
  };
  for (const Case& c : cases) {
    TCurlInternet internet(c.caFile);
    TInternetHandle session(internet, internet.OpenSession("Quorvane", INTERNET_OPEN_TYPE_PRECONFIG, "", 0));
    TInternetHandle connection(internet, internet.Connect(session.Get(), "127.0.0.1", static_cast<uint16_t>(port),
                                                          INTERNET_SERVICE_HTTP, 0));
    TInternetHandle request(internet,
                            internet.OpenRequest(connection.Get(), "POST", "/newupdates/", INTERNET_FLAG_SECURE));
    ASSERT_TRUE(request) << c.name;
    internet.SetLastErrorCode(12345);
    bool sent = internet.SendRequest(request.Get(), "Content-Type: application/x-protobuf", body.data(),
                                     static_cast<uint32_t>(body.size()));
    EXPECT_EQ(sent, c.sent) << c.name;
    if (!sent) {
      EXPECT_EQ(internet.LastError(), c.error) << c.name;
      continue;
    }
    uint32_t status = 0;
    EXPECT_TRUE(internet.QueryStatusCode(request.Get(), status));
    EXPECT_EQ(status, 200u);
  }
}

}  // namespace
