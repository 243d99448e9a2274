// GetFileFromInternet against the reference server's signed links: the result codes,
// the progress in chunks, the size it may not pass, and that only a complete download
// leaves a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "net/net_engine.h"
#include "net/net_server.h"
#include "net/step_recorder.h"
#include "net/tiny_proxy.h"

namespace {

class FileDownloadTest : public TNetEngineFixture, public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(server.Start(), 0);
    std::filesystem::create_directory(server.Folder() / "fetched");
  }

  std::string Target(const std::string& name) const { return (server.Folder() / "fetched" / name).string(); }

  int Fetch(const std::string& url, const std::string& file, TICallbackHandler* handler,
            uint64_t maxBytes = QV_PACKAGE_SIZE_LIMIT) {
    TInternetHandle session;
    Engine().QvInternetOpen("DriverDownload", session);
    return Engine().GetFileFromInternet(session, url, file, handler, maxBytes);
  }

  TNetServer server;
};

std::string Altered(std::string link) {
  char& last = link.back();
  last = last == '0' ? '1' : '0';
  return link;
}

TEST_F(FileDownloadTest, ResultCodesAndWhatIsLeftOnDisk) {
  struct Case {
    const char* name;
    std::string url;
    std::string file;
    int result;
    size_t stopAfter;  // 0: never stopped
    uint64_t maxBytes = QV_PACKAGE_SIZE_LIMIT;
  };
  const std::string bigLink = server.Link(server.Big());
  const Case cases[] = {
      {"complete", bigLink, Target("big.msi"), 0, 0},
      {"altered link refused", Altered(bigLink), Target("refused.msi"), 3, 0},
      {"stopped mid-download", bigLink, Target("stopped.msi"), 4, 1},
      {"nobody listening", "http://127.0.0.1:1/files/1_x.zip", Target("unreachable.zip"), 1, 0},
      {"not a URL", "no scheme here", Target("bad.zip"), 1, 0},
      {"folder missing", bigLink, Target("missing/big.msi"), 2, 0},
      {"exactly the size announced", bigLink, Target("announced.msi"), 0, 0, BIG_PACKAGE_SIZE},
      {"larger than announced", bigLink, Target("larger.msi"), 2, 0, BIG_PACKAGE_SIZE - 1},
  };
  for (const Case& c : cases) {
    Engine().m_stopped = false;
    TStepRecorder recorder(Engine().m_stopped, c.stopAfter);
    EXPECT_EQ(Fetch(c.url, c.file, &recorder, c.maxBytes), c.result) << c.name;
    EXPECT_EQ(std::filesystem::exists(c.file), c.result == 0) << c.name;
    if (c.stopAfter != 0) {
      // The stop is seen after the next chunk was written: no progress for it.
      EXPECT_EQ(recorder.steps.size(), c.stopAfter) << c.name;
    }
  }
  Engine().m_stopped = false;
}

TEST_F(FileDownloadTest, ContentArrivesInChunksWithOneStepEach) {
  TStepRecorder recorder(Engine().m_stopped, 0);
  ASSERT_EQ(Fetch(server.Link(server.Big()), Target("big.msi"), &recorder), 0);
  EXPECT_EQ(TNetServer::ReadFile(Target("big.msi")), server.StoredContent(server.Big()));
  ASSERT_FALSE(recorder.steps.empty());
  for (int32_t step : recorder.steps) {
    EXPECT_GT(step, 0);
    EXPECT_LE(step, 4096);
  }
  EXPECT_EQ(std::accumulate(recorder.steps.begin(), recorder.steps.end(), size_t{0}), BIG_PACKAGE_SIZE);
}

TEST_F(FileDownloadTest, WithoutAHandlerTheCodesAreTheSame) {
  EXPECT_EQ(Fetch(server.Link(server.Small()), Target("small.zip"), nullptr), 0);
  EXPECT_EQ(TNetServer::ReadFile(Target("small.zip")), server.StoredContent(server.Small()));
  EXPECT_EQ(Fetch(Altered(server.Link(server.Small())), Target("refused.zip"), nullptr), 3);
  EXPECT_FALSE(std::filesystem::exists(Target("refused.zip")));
}

// A file already at the target is not the fetch's: it fails and leaves the file as it was.
TEST_F(FileDownloadTest, AnExistingFileIsLeftAlone) {
  std::ofstream(Target("small.zip"), std::ios::binary) << std::string(100000, 'x');
  EXPECT_EQ(Fetch(server.Link(server.Small()), Target("small.zip"), nullptr), 2);
  EXPECT_EQ(TNetServer::ReadFile(Target("small.zip")), std::string(100000, 'x'));
}

TEST_F(FileDownloadTest, TheDownloadSessionUsesTheProxyWithCredentials) {
  TTinyProxy proxy(server.Folder().path().string(), "qvuser", "s3cret");
  ASSERT_GT(proxy.Port(), 0) << "tinyproxy could not be started";
  UseProxy(proxy.Port(), "qvuser", "s3cret");
  ASSERT_EQ(Fetch(server.Link(server.Small()), Target("small.zip"), nullptr), 0);
  EXPECT_EQ(TNetServer::ReadFile(Target("small.zip")), server.StoredContent(server.Small()));
  EXPECT_NE(proxy.Log().find("/files/"), std::string::npos) << proxy.Log();
}

}  // namespace
