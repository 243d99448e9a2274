// The WinInet internet port and the exchange over it, against a reference server that
// the caller runs on loopback: QV_TEST_SERVER_PORT (and QV_TEST_PROXY_PORT for a
// tinyproxy in front of it, QV_TEST_LINK for a signed download link).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/data_manager.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_machine.h"

namespace {

int EnvPort(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

class TCountingSink : public IMessageSink {
 public:
  int QvMessageBox(const std::string&, const std::string&, int) override { return ++shown; }
  int shown = 0;
};

class InternetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    serverPort = EnvPort("QV_TEST_SERVER_PORT");
    if (serverPort == 0) GTEST_SKIP() << "QV_TEST_SERVER_PORT is not set: no reference server to talk to";
    model = std::make_unique<TDriverDatamodel>(machine.Ports());
    engine = std::make_unique<TDataManager>(*model, machine.Ports());
    engine->SetMessageSink(&sink);
  }

  bool Scan(const std::string& body, std::vector<uint8_t>* response, int port) {
    return engine->SendReceive("Quorvane", "127.0.0.1", port, "/newupdates/", body.data(),
                               static_cast<uint32_t>(body.size()), "application/x-protobuf; charset=\"utf-8\"",
                               response, true);
  }

  TWin32Machine machine;
  std::unique_ptr<TDriverDatamodel> model;
  std::unique_ptr<TDataManager> engine;
  TCountingSink sink;
  int serverPort = 0;
};

TEST_F(InternetTest, ExchangesDirectlyAndThroughTheProxy) {
  const std::string garbage("\xff\xfe\x01 random bytes", 17);
  struct Case {
    const char* name;
    int proxyPort;  // 0: direct
  };
  std::vector<Case> cases = {{"direct", 0}};
  if (int proxy = EnvPort("QV_TEST_PROXY_PORT")) cases.push_back({"through the proxy", proxy});
  for (const Case& c : cases) {
    model->SetProxyEnabled(c.proxyPort != 0);
    model->SetProxyURL("127.0.0.1");
    model->SetProxyPort(c.proxyPort);
    std::vector<uint8_t> response;
    ASSERT_TRUE(Scan(garbage, &response, serverPort)) << c.name;
    EXPECT_EQ(std::string(response.begin(), response.end()).rfind("error", 0), 0u) << c.name;
    EXPECT_TRUE(Scan(garbage, nullptr, serverPort)) << c.name;
  }
  EXPECT_EQ(sink.shown, 0);
}

TEST_F(InternetTest, FailuresOnTheDirectPath) {
  std::vector<uint8_t> response;
  EXPECT_FALSE(engine->SendReceive("Quorvane", "", serverPort, "/newupdates/", "x", 1, "text/plain", &response, true));
  EXPECT_EQ(sink.shown, 0) << "a connection that cannot be made is silent";
  EXPECT_FALSE(Scan("x", &response, 1));
  EXPECT_EQ(sink.shown, 1) << "a failed send shows the message";
}

TEST_F(InternetTest, DownloadsAndRefusals) {
  const char* link = std::getenv("QV_TEST_LINK");
  if (link == nullptr) GTEST_SKIP() << "QV_TEST_LINK is not set";
  std::string target = (std::filesystem::temp_directory_path() / "qv-internet-test.bin").string();
  std::string altered = std::string(link);
  altered.back() = altered.back() == '0' ? '1' : '0';
  struct Case {
    const char* name;
    std::string url;
    int result;
  };
  const Case cases[] = {{"signed link", link, 0}, {"altered link", altered, 3},
                        {"nobody listening", "http://127.0.0.1:1/files/1_x.zip", 1}};
  for (const Case& c : cases) {
    TInternetHandle session;
    engine->QvInternetOpen("DriverDownload", session);
    EXPECT_EQ(engine->GetFileFromInternet(session, c.url, target, nullptr), c.result) << c.name;
    EXPECT_EQ(std::filesystem::exists(target), c.result == 0) << c.name;
    std::filesystem::remove(target);
  }
}

}  // namespace
