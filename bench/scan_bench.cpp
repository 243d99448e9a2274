// A whole scan of a simulated 1000-device PC against the reference server on
// loopback, with its time split into enumeration, encoding, exchange, decoding and
// applying, and storing. The full scan (StartScan) is the reference: each step is
// printed in milliseconds and as a share of it, medians of several rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/data_manager.h"
#include "engine/scan_server.h"
#include "proto/driver_reader.h"
#include "sim_pc.h"
#include "support/null_callback_handler.h"
#include "support/sim_data_model.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr size_t kDevices = 1000;
constexpr size_t kOfferEvery = 10;  // one device in ten has a newer driver on the server
constexpr int kRounds = 7;

double Milliseconds(TClock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Notes when the enumeration starts and when the update check begins.
class TPhaseClock : public TNullCallbackHandler {
 public:
  void StartScanning() override { started = TClock::now(); }
  void CheckingForUpdate() override { checking = TClock::now(); }
  void FinishScanning(int32_t AResult) override { result = AResult; }

  TClock::time_point started, checking;
  int32_t result = -1;
};

struct TRound {
  double scan = 0, enumeration = 0, encoding = 0, exchange = 0, applying = 0, storing = 0;
};

// One round: the full scan, then each step of its update check again on the
// scanned list, timed on its own.
TRound MeasureRound(TDataManager& engine, TDriverDatamodel& model, size_t& outdated) {
  TRound round;
  TPhaseClock phases;
  const TClock::time_point start = TClock::now();
  engine.StartScan(&phases);
  round.scan = Milliseconds(TClock::now() - start);
  round.enumeration = Milliseconds(phases.checking - phases.started);
  if (phases.result != 0) {
    std::fprintf(stderr, "the scan failed: %d\n", phases.result);
    std::exit(1);
  }

  TDriverMap devices;
  for (const auto& device : model.DeviceList()) devices.push_back(device.get());

  TClock::time_point at = TClock::now();
  const std::vector<uint8_t> body = engine.EncodeScanRequest(devices);
  round.encoding = Milliseconds(TClock::now() - at);

  std::vector<uint8_t> answer;
  at = TClock::now();
  if (!engine.PostScanRequest(body, answer)) {
    std::fprintf(stderr, "the exchange failed\n");
    std::exit(1);
  }
  round.exchange = Milliseconds(TClock::now() - at);

  at = TClock::now();
  TDriverReader reader;
  reader.GetBuf().Init(answer.data(), static_cast<int32_t>(answer.size()), false);
  TDrivers offers;
  reader.Load(offers);
  for (size_t i = 0; i < offers.DriverCount(); ++i) {
    const TDeviceDriver& offer = offers.GetDrivers(i);
    if (TDeviceProperties* device = model.DeviceList().Find(offer.Fhardware_id)) TDataManager::ApplyOffer(offer, *device);
  }
  round.applying = Milliseconds(TClock::now() - at);
  outdated = offers.DriverCount();

  at = TClock::now();
  model.DumpScanResults();
  round.storing = Milliseconds(TClock::now() - at);
  return round;
}

}  // namespace

int main() {
  TScanServer server;
  for (size_t i = 0; i < kDevices; i += kOfferEvery) server.Offer({SimulatedPcHardwareId(i)}, "11.0.0.1");
  const int port = server.Start();
  if (port == 0) {
    std::fprintf(stderr, "the server did not start\n");
    return 1;
  }

  TSimDataModelFixture fixture;
  AddSimulatedPcDevices(fixture.machine.devices, kDevices);
  TDriverDatamodel& model = fixture.Create();
  model.SetServerURL("127.0.0.1");
  model.SetServerPort(port);
  TDataManager engine(model, fixture.machine.Ports());

  std::vector<TRound> rounds;
  size_t outdated = 0;
  for (int i = 0; i < kRounds; ++i) rounds.push_back(MeasureRound(engine, model, outdated));

  auto median = [&](double TRound::*field) {
    std::vector<double> values;
    for (const TRound& round : rounds) values.push_back(round.*field);
    return Median(values);
  };
  const double scan = median(&TRound::scan);
  std::printf("scan of %zu simulated devices (%zu listed, %zu offers), median of %d rounds\n", kDevices,
              model.DeviceList().Count(), outdated, kRounds);
  std::printf("%-34s %10s %10s\n", "step", "ms", "of scan");
  const std::pair<const char*, double TRound::*> steps[] = {{"enumeration", &TRound::enumeration},
                                                             {"encoding the request", &TRound::encoding},
                                                             {"exchange with the server", &TRound::exchange},
                                                             {"decoding and applying the answer", &TRound::applying},
                                                             {"storing config.bin", &TRound::storing}};
  double sum = 0;
  for (const auto& [name, field] : steps) {
    const double value = median(field);
    sum += value;
    std::printf("%-34s %10.2f %9.1f%%\n", name, value, 100.0 * value / scan);
  }
  std::printf("%-34s %10.2f %9.1f%%\n", "sum of the steps", sum, 100.0 * sum / scan);
  std::printf("%-34s %10.2f %9.1f%%\n", "full scan (StartScan)", scan, 100.0);
  return 0;
}
