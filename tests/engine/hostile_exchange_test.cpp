// The exchange against a hostile server on loopback (libcurl port): for each way an
// answer can go wrong, the scan's result code, the message shown and what stays in
// "config.bin"; and the caps on the scan, version and checksum answers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "engine/server_contract.h"
#include "engine/sim_engine.h"
#include "proto/client_codecs.h"
#include "proto/driver_builder.h"
#include "support/hostile_server.h"
#include "support/null_callback_handler.h"
#include "support/recording_sink.h"

namespace {

constexpr const char* GPU_ID = "PCI\\VEN_1234&DEV_1111";
constexpr const char* PROTOBUF = "application/x-protobuf";
constexpr size_t MIB = 1024 * 1024;

class TFinishRecorder : public TNullCallbackHandler {
 public:
  void FinishScanning(int32_t result) override { finished = result; }
  int finished = -1;  // none: the run ended by an error
};

// A scan answer offering the GPU a driver of this version.
std::string ScanAnswer(const std::string& version) {
  TDrivers answer;
  TDeviceDriver driver;
  driver.Fhardware_id = GPU_ID;
  driver.Fdriver_version = version;
  driver.Fdownload_url = "http://127.0.0.1/p.zip";
  driver.Fdriver_id = "42";
  answer.AddDriver(std::move(driver));
  TDriverBuilder builder;
  builder.Write(answer);
  const std::vector<uint8_t> bytes = builder.GetBuf().GetBytes();
  return std::string(bytes.begin(), bytes.end());
}

// Cuts text into count pieces of about equal size.
std::vector<std::string> Pieces(const std::string& text, size_t count) {
  std::vector<std::string> pieces;
  const size_t size = (text.size() + count - 1) / count;
  for (size_t at = 0; at < text.size(); at += size) pieces.push_back(text.substr(at, size));
  return pieces;
}

class HostileExchange : public ::testing::Test, public TSimEngineFixture {
 protected:
  void SetUp() override {
    TSimDevice gpu;
    gpu.instanceId = std::string(GPU_ID) + "\\0";
    gpu.classGuid = GuidFromText(DISPLAY_CLASS);
    gpu.friendlyName = "GPU";
    gpu.hardwareIds = {GPU_ID};
    gpu.driver = Driver();
    machine.devices.AddDevice(gpu);

    TDataManager& engine = Engine();
    engine.SetMessageSink(&sink);
    engine.m_timeout = 500;  // the receive time-out, shortened
    // The stored result of an earlier scan: the GPU offered 50.0.0.0.
    auto stored = std::make_unique<TDeviceProperties>();
    stored->strHID = GPU_ID;
    stored->strName = "GPU";
    stored->strVersion = "10.0.0.20000";
    stored->strNewVersion = "50.0.0.0";
    model->AddDevice(std::move(stored));
    model->SetStartTime("July 09, 2024 03:04 pm");
    model->DumpScanResults();
    storedBytes = folder.Read("Quorvane/config.bin");
  }

  // One scan against the server; the error the run ended with, or "".
  std::string Scan(int port) {
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(port);
    try {
      Engine().StartScan(&handler);
    } catch (const std::exception& error) {
      return error.what();
    }
    return "";
  }

  std::string OfferedVersion() const {
    const TDeviceProperties* gpu = model->GetDevice(GPU_ID);
    return gpu ? gpu->strNewVersion : "(no GPU)";
  }

  TRecordingSink sink;
  TFinishRecorder handler;
  std::string storedBytes;
};

TEST_F(HostileExchange, EachFaultEndsTheScanAsItsRowSaysAndKeepsTheStoredResult) {
  const std::string answer = ScanAnswer("77.0.0.0");
  const std::string page = "<html><body>Sign in to continue</body></html>";
  const std::string chunkedHead =
      "HTTP/1.1 200 OK\r\nContent-Type: application/x-protobuf\r\nTransfer-Encoding: chunked\r\n\r\n";
  struct TRow {
    const char* name;
    THostileScript script;
    int finished;         // FinishScanning's result; -1: none, the run ended by an error
    const char* error;    // the error it ended with
    size_t messages;      // server-problem messages shown
    const char* offered;  // the GPU's offered version afterwards
    bool storedKept;      // "config.bin" unchanged
    size_t sentBelow;     // when not 0: the client hung up before taking this many bytes
  };
  const TRow rows[] = {
      {"accepted, then silent", {{""}, {}, 0, true}, 1, "", 0, "50.0.0.0", true, 0},
      {"closed inside a chunk", {{chunkedHead + "400\r\n" + std::string(100, 'x')}}, 1, "", 0, "50.0.0.0", true,
       0},
      {"body shorter than its length", {{HostileHead("200 OK", PROTOBUF, 1000) + answer}}, 1, "", 0, "50.0.0.0",
       true, 0},
      {"body longer than its length: the announced bytes are the answer",
       {{HostileHead("200 OK", PROTOBUF, static_cast<long>(answer.size())) + answer + "trailing junk"}}, 0, "", 0,
       "77.0.0.0", false, 0},
      {"an HTML page", {{HostileHead("200 OK", "text/html", static_cast<long>(page.size())) + page}}, -1,
       "InvalidProtocolBufferException.invalidWireType", 0, "50.0.0.0", true, 0},
      {"a proxy's error page", {{HostileHead("502 Bad Gateway", "text/plain", 11) + "error: 502!"}}, 1, "", 1,
       "50.0.0.0", true, 0},
      // Refused on its announced length; what the sockets' buffers took is all it sent.
      {"65 MiB announced", {{HostileHead("200 OK", PROTOBUF, static_cast<long>(65 * MIB))}, {}, 65 * MIB}, 1, "", 0,
       "50.0.0.0", true, 16 * MIB},
      // Read up to the cap and no further.
      {"65 MiB and more, unannounced", {{HostileHead("200 OK", PROTOBUF, -1)}, {}, SIZE_MAX}, 1, "", 0, "50.0.0.0", true,
       80 * MIB},
      {"a slow drip, each piece under the receive time-out, longer than it in all",
       {Pieces(HostileHead("200 OK", PROTOBUF, static_cast<long>(answer.size())) + answer, 6),
        std::chrono::milliseconds(150)},
       0, "", 0, "77.0.0.0", false, 0},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    sink.shown.clear();
    handler.finished = -1;
    folder.Write("Quorvane/config.bin", storedBytes);  // as the earlier scan stored it
    model->RemoveAll();
    model->Initialize();
    ASSERT_EQ(OfferedVersion(), "50.0.0.0");

    THostileServer server(row.script);
    const std::string error = Scan(server.Port());
    EXPECT_EQ(handler.finished, row.finished);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(Engine().m_stopped, row.finished == 1);
    ASSERT_EQ(sink.shown.size(), row.messages);
    if (row.messages == 1) {
      EXPECT_EQ(sink.shown[0].text, SERVER_PROBLEM_TEXT);
    }
    EXPECT_EQ(OfferedVersion(), row.offered);
    EXPECT_EQ(folder.Read("Quorvane/config.bin") == storedBytes, row.storedKept);
    if (row.sentBelow != 0) {
      EXPECT_TRUE(server.WaitForCutOff());
      EXPECT_LT(server.Sent(), row.sentBelow) << "the client stopped reading";
    }
  }
}

// Closing the program cancels the exchanges: a scan waiting for a silent server ends at
// once, long before its time-out, as a failed scan that keeps the stored result.
TEST_F(HostileExchange, ACancelEndsAScanWaitingForASilentServer) {
  Engine().m_timeout = 60000;
  THostileServer server({{""}, {}, 0, true});
  const auto started = std::chrono::steady_clock::now();
  std::thread closing([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Engine().StopScan();
    Engine().CancelExchanges();
  });
  EXPECT_EQ(Scan(server.Port()), "");
  closing.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(handler.finished, 1);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(OfferedVersion(), "50.0.0.0");
  EXPECT_EQ(folder.Read("Quorvane/config.bin"), storedBytes);
}

// The version and checksum answers are capped at 64 KiB: a longer one is a failed
// exchange, whatever it starts with.
TEST_F(HostileExchange, SmallAnswersAreCappedAt64KiB) {
  // A version offer of `size` bytes: its readme fills it up.
  const auto offer = [](size_t size) {
    TClientVersion newer;
    newer.Fversion_major = "9";
    newer.Fversion_minor = "1";
    newer.Fversion_vminor = "2";
    newer.Freadme = std::string(size - 13, 'r');  // 9 bytes of versions, the readme's tag and 3 of length
    TCVBuilder builder;
    builder.Write(newer);
    const std::vector<uint8_t> bytes = builder.GetBuf().GetBytes();
    return std::string(bytes.begin(), bytes.end());
  };
  const auto padded = [](const std::string& text, size_t size) { return text + std::string(size - text.size(), 'x'); };
  struct TRow {
    const char* name;
    std::string body;
    bool announced;
    bool checksum;  // PostChecksum, else CheckSoftwareUpdate
    bool accepted;
  };
  const TRow rows[] = {
      {"confirmation of exactly 64 KiB", padded("true", 64 * 1024), true, true, true},
      {"confirmation a byte over, announced", padded("true", 64 * 1024 + 1), true, true, false},
      {"confirmation a byte over, unannounced", padded("true", 64 * 1024 + 1), false, true, false},
      {"version offer of exactly 64 KiB", offer(64 * 1024), false, false, true},
      {"version offer a byte over", offer(64 * 1024 + 1), false, false, false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(row.body.size() % 1024, row.accepted ? 0u : 1u);
    THostileServer server(
        {{HostileHead("200 OK", PROTOBUF, row.announced ? static_cast<long>(row.body.size()) : -1) + row.body}});
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(server.Port());
    if (row.checksum) {
      EXPECT_EQ(Engine().PostChecksum("0123456789abcdef0123456789abcdef", "42"), row.accepted);
    } else {
      EXPECT_EQ(Engine().CheckSoftwareUpdate().rfind("9.1.2 - rrr", 0) == 0, row.accepted);
    }
  }
}

}  // namespace
