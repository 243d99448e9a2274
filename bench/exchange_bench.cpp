// The exchange against the reference server on loopback, measured in one run:
// GetFileFromInternet fetching a 200 MB package against curl fetching the same link
// (throughput ratio), and concurrent 400-device scans (requests per second and
// latency percentiles). Prints figures; asserts nothing about time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/data_manager.h"
#include "engine/server_contract.h"
#include "net/net_server.h"
#include "proto/driver_builder.h"
#include "support/sim_data_model.h"

namespace {

using TClock = std::chrono::steady_clock;

double Seconds(TClock::duration duration) { return std::chrono::duration<double>(duration).count(); }

constexpr size_t kPackageSize = 200u * 1024 * 1024;
constexpr int kRounds = 2;
constexpr int kClients = 4;
constexpr int kScansPerClient = 25;
constexpr int kDevicesPerScan = 400;

// The best of kRounds fetches of the link into target by the engine.
double FetchWithEngine(TDataManager& engine, const std::string& link, const std::string& target) {
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    TInternetHandle session;
    engine.QvInternetOpen("DriverDownload", session);
    TClock::time_point start = TClock::now();
    int result = engine.GetFileFromInternet(session, link, target, nullptr);
    best = std::min(best, Seconds(TClock::now() - start));
    if (result != 0 || std::filesystem::file_size(target) != kPackageSize) {
      std::fprintf(stderr, "GetFileFromInternet failed: %d\n", result);
      std::exit(1);
    }
  }
  return best;
}

double FetchWithCurl(const std::string& link, const std::string& target) {
  double best = 1e30;
  const std::string command = "curl -s -f -o '" + target + "' '" + link + "'";
  for (int round = 0; round < kRounds; ++round) {
    TClock::time_point start = TClock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "curl failed\n");
      std::exit(1);
    }
    best = std::min(best, Seconds(TClock::now() - start));
  }
  return best;
}

std::vector<uint8_t> ScanRequest() {
  TDrivers request;
  request.GetOS() = TOperatingSystem{"Windows", "10.0.0", "amd64"};
  for (int i = 0; i < kDevicesPerScan; ++i) {
    TDeviceDriver device;
    device.Fhardware_id = i % 40 == 0 ? OFFERED_ID : "PCI\\VEN_1234&DEV_" + std::to_string(1000 + i);
    device.Fdriver_version = "1.0.0." + std::to_string(i);
    device.Fdriver_date = "2020-01-01";
    device.Fdevice_name = "Device " + std::to_string(i);
    request.AddDriver(std::move(device));
  }
  TDriverBuilder builder;
  builder.Write(request);
  return builder.GetBuf().GetBytes();
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main() {
  TNetServer server(kPackageSize);
  const int port = server.Start();
  if (port == 0) {
    std::fprintf(stderr, "the server did not start\n");
    return 1;
  }
  TSimDataModelFixture fixture;
  fixture.Create();
  TDataManager engine(*fixture.model, fixture.machine.Ports());

  const std::string link = server.Link(server.Big());
  const std::string target = fixture.folder.File("package.bin");
  const double engineSeconds = FetchWithEngine(engine, link, target);
  const double curlSeconds = FetchWithCurl(link, target);
  const double megabytes = static_cast<double>(kPackageSize) / (1024.0 * 1024.0);
  std::printf("download of %.0f MB: GetFileFromInternet %.3f s (%.0f MB/s), curl %.3f s (%.0f MB/s)\n", megabytes,
              engineSeconds, megabytes / engineSeconds, curlSeconds, megabytes / curlSeconds);
  std::printf("throughput ratio GetFileFromInternet / curl: %.2f\n", curlSeconds / engineSeconds);

  const std::vector<uint8_t> body = ScanRequest();
  std::vector<std::vector<double>> latencies(kClients);
  TClock::time_point start = TClock::now();
  std::vector<std::thread> clients;
  for (int client = 0; client < kClients; ++client) {
    clients.emplace_back([&, client] {
      TDataManager clientEngine(*fixture.model, fixture.machine.Ports());
      for (int i = 0; i < kScansPerClient; ++i) {
        std::vector<uint8_t> answer;
        TClock::time_point sent = TClock::now();
        bool ok = clientEngine.SendReceive("Quorvane", "127.0.0.1", port, "/newupdates/", body.data(),
                                           static_cast<uint32_t>(body.size()),
                                           "application/x-protobuf; charset=\"utf-8\"", &answer,
                                           QV_SCAN_ANSWER_LIMIT, false);
        latencies[client].push_back(Seconds(TClock::now() - sent) * 1000.0);
        if (!ok || answer.empty()) std::fprintf(stderr, "a scan failed\n");
      }
    });
  }
  for (std::thread& client : clients) client.join();
  const double elapsed = Seconds(TClock::now() - start);
  std::vector<double> all;
  for (const auto& perClient : latencies) all.insert(all.end(), perClient.begin(), perClient.end());
  std::printf("%d clients x %d scans of %d devices: %.1f requests/s; latency p50 %.1f ms, p90 %.1f ms, p99 %.1f ms\n",
              kClients, kScansPerClient, kDevicesPerScan, static_cast<double>(all.size()) / elapsed,
              Percentile(all, 0.5), Percentile(all, 0.9), Percentile(all, 0.99));
  return 0;
}
