// Times encoding and decoding of 400-device messages with our codec and with
// libprotobuf's generated classes in the same run, and prints ours ÷ theirs
// (time per message; below 1 means ours is faster).
#include <quorvane.pb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_messages.h"
#include "proto/driver_builder.h"
#include "proto/driver_reader.h"
#include "proto/sysinfo_reader.h"
#include "proto/sysinfo_writer.h"

namespace {

// Best of several rounds of the mean time per call, in microseconds.
double MicrosecondsPerCall(const std::function<void()>& call) {
  using Clock = std::chrono::steady_clock;
  constexpr int kRounds = 15;
  int calls = 1;
  for (;;) {  // calibrate to about 20 ms per round
    auto start = Clock::now();
    for (int i = 0; i < calls; ++i) call();
    if (Clock::now() - start > std::chrono::milliseconds(20)) break;
    calls *= 2;
  }
  double best = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    for (int i = 0; i < calls; ++i) call();
    std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
    best = std::min(best, elapsed.count() / calls);
  }
  return best;
}

template <typename TBuilder, typename TMessage>
std::vector<uint8_t> EncodeOurs(const TMessage& message) {
  TBuilder builder;
  builder.Write(message);
  return builder.GetBuf().TakeBytes();
}

template <typename TReader, typename TMessage>
void DecodeOurs(const std::vector<uint8_t>& bytes) {
  TReader reader;
  reader.GetBuf().Init(bytes.data(), static_cast<int32_t>(bytes.size()), false);
  TMessage message;
  reader.Load(message);
}

template <typename TTheirs>
void DecodeTheirs(const std::vector<uint8_t>& bytes) {
  TTheirs message;
  if (!message.ParseFromArray(bytes.data(), static_cast<int>(bytes.size()))) std::abort();
}

void Report(const char* name, double ours, double theirs) {
  std::printf("%-36s %10.1f %10.1f %8.2f\n", name, ours, theirs, ours / theirs);
}

template <typename TOurs, typename TBuilder, typename TReader, typename TTheirs>
void Compare(const char* name, const TOurs& message, bool& decodeSlower) {
  const std::vector<uint8_t> bytes = EncodeOurs<TBuilder>(message);
  TTheirs theirs;
  if (!theirs.ParseFromArray(bytes.data(), static_cast<int>(bytes.size()))) std::abort();
  const std::string theirBytes = theirs.SerializeAsString();
  const std::vector<uint8_t> theirEncoding(theirBytes.begin(), theirBytes.end());

  double encodeOurs = MicrosecondsPerCall([&] { EncodeOurs<TBuilder>(message); });
  double encodeTheirs = MicrosecondsPerCall([&] { theirs.SerializeAsString(); });
  // Each side decodes the bytes it would receive from the other.
  double decodeOurs = MicrosecondsPerCall([&] { DecodeOurs<TReader, TOurs>(theirEncoding); });
  double decodeTheirs = MicrosecondsPerCall([&] { DecodeTheirs<TTheirs>(bytes); });
  std::printf("%s (%zu bytes)\n", name, bytes.size());
  Report("  encode", encodeOurs, encodeTheirs);
  Report("  decode", decodeOurs, decodeTheirs);
  if (decodeOurs > decodeTheirs) decodeSlower = true;
}

}  // namespace

int main() {
  std::printf("%-36s %10s %10s %8s\n", "400 devices, time per message", "ours us", "theirs us", "ratio");
  bool decodeSlower = false;
  Compare<TDrivers, TDriverBuilder, TDriverReader, quorvane::Drivers>("scan request (TDrivers)",
                                                                      MakeScanRequest(), decodeSlower);
  Compare<TDrivers, TDriverBuilder, TDriverReader, quorvane::Drivers>("scan answer (TDrivers)",
                                                                      MakeScanAnswer(), decodeSlower);
  Compare<TSysInfo, TSysInfoWriter, TSysInfoReader, quorvane::SysInfo>("stored result (TSysInfo)",
                                                                       MakeStoredScanResult(), decodeSlower);
  if (decodeSlower) std::printf("our decoding is slower than libprotobuf's for at least one message\n");
  return decodeSlower ? 1 : 0;
}
