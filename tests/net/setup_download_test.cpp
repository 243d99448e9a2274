// The setup download over the libcurl port against a loopback HTTP server: a
// whole answer written with its progress, answers that are not a setup, the size it may
// not pass, a write that fails, and a cancel.
#include <gtest/gtest.h>

#include <httplib.h>

#include <string>
#include <thread>

#include "engine/setup_download.h"
#include "platform/native/curl_internet.h"
#include "support/memory_file.h"

namespace {

const std::string SETUP(200 * 1024 + 7, 'S');

class SetupDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Get("/whole", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(SETUP, "application/octet-stream");
    });
    m_server.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("<html>Not Found</html>", "text/html");
    });
    // Announces the whole setup, then ends the connection after half of it.
    m_server.Get("/cut", [](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(SETUP.size(), "application/octet-stream",
                                    [](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset >= SETUP.size() / 2) return false;
                                      sink.write(SETUP.data(), SETUP.size() / 2);
                                      return true;
                                    });
    });
    // No length announced.
    m_server.Get("/chunked", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("application/octet-stream", [](size_t offset, httplib::DataSink& sink) {
        if (offset < SETUP.size()) {
          sink.write(SETUP.data() + offset, std::min<size_t>(SETUP.size() - offset, 50000));
        } else {
          sink.done();
        }
        return true;
      });
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(m_port, 0);
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::yield();
  }
  void TearDown() override {
    m_server.stop();
    m_thread.join();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

  TCurlInternet internet;
  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
};

TEST_F(SetupDownloadTest, OnlyAWholeSuccessfulAnswerIsComplete) {
  const struct {
    const char* path;
    bool complete;
    uint64_t total;  // as the progress reports it
  } cases[] = {
      {"/whole", true, SETUP.size()},
      {"/chunked", true, 0},
      {"/missing", false, 0},  // an error page is read no further
      {"/cut", false, SETUP.size()},
  };
  for (const auto& c : cases) {
    TSetupDownload download(internet, Url(c.path));
    uint64_t lastReceived = 0;
    uint64_t lastTotal = 0;
    bool rising = true;
    TMemoryFile file;
    const bool complete = download.Fetch(file, [&](uint64_t received, uint64_t total) {
      rising = rising && received > lastReceived && received == file.bytes.size();
      lastReceived = received;
      lastTotal = total;
    });
    EXPECT_EQ(complete, c.complete) << c.path;
    EXPECT_TRUE(rising) << c.path;
    if (c.complete) {
      EXPECT_EQ(file.bytes, SETUP) << c.path;
      EXPECT_EQ(lastReceived, SETUP.size()) << c.path;
    }
    if (lastReceived > 0) {
      EXPECT_EQ(lastTotal, c.total) << c.path;
    }
  }
}

TEST_F(SetupDownloadTest, NobodyListeningIsAFailedDownload) {
  TSetupDownload download(internet, "http://127.0.0.1:1/download/qvsetup.exe");
  TMemoryFile file;
  EXPECT_FALSE(download.Fetch(file, [](uint64_t, uint64_t) {}));
}

// The size limit holds whether the answer announces its length or not; an announced
// length above it is refused before a byte is written, and a write that fails ends the
// download.
TEST_F(SetupDownloadTest, TheSizeLimitAndAFailingWrite) {
  const struct {
    const char* name;
    const char* path;
    uint64_t limit;
    bool failWrites;
    bool complete;
    size_t mostWritten;
  } cases[] = {
      {"announced, at the limit", "/whole", SETUP.size(), false, true, SETUP.size()},
      {"announced above the limit", "/whole", SETUP.size() - 1, false, false, 0},
      {"not announced, at the limit", "/chunked", SETUP.size(), false, true, SETUP.size()},
      {"not announced, past the limit", "/chunked", SETUP.size() - 1, false, false, SETUP.size() - 1},
      {"the file cannot be written", "/whole", QV_SETUP_SIZE_LIMIT, true, false, 0},
  };
  for (const auto& c : cases) {
    TSetupDownload download(internet, Url(c.path), c.limit);
    TMemoryFile file;
    file.failWrites = c.failWrites;
    EXPECT_EQ(download.Fetch(file, [](uint64_t, uint64_t) {}), c.complete) << c.name;
    EXPECT_LE(file.bytes.size(), c.mostWritten) << c.name;
  }
}

// A cancel mid-download ends the fetch as incomplete and closes its handles; a
// fetch after a cancel opens nothing.
TEST_F(SetupDownloadTest, ACancelledDownloadIsIncomplete) {
  TSetupDownload download(internet, Url("/chunked"));
  int blocks = 0;
  TMemoryFile file;
  const bool complete = download.Fetch(file, [&](uint64_t, uint64_t) {
    if (++blocks == 1) download.Cancel();
  });
  EXPECT_FALSE(complete);
  EXPECT_EQ(blocks, 1);
  EXPECT_TRUE(download.Cancelled());
  internet.SetLastErrorCode(0);
  EXPECT_FALSE(download.Fetch(file, [](uint64_t, uint64_t) {}));
}

}  // namespace
