// Times a whole device enumeration (EnumAllDevices from index 0 to the end) on
// simulated machines of 250 and 1000 devices in the same run, and prints both
// times and their ratio: a cost that grows linearly gives about 4, a quadratic one 16.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/data_model.h"
#include "engine/data_manager.h"
#include "platform/sim/sim_machine.h"
#include "sim_pc.h"

namespace {

// The data model's application-data folder for the run, removed afterwards.
class TScratchFolder {
 public:
  TScratchFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("qv-bench-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string Path() const { return m_path.string(); }

 private:
  std::filesystem::path m_path;
};

// One enumeration: every index until the end, each into a fresh record.
size_t EnumerateAll(TDataManager& engine) {
  size_t described = 0;
  for (uint32_t index = 0;; ++index) {
    TDeviceProperties record;
    int result = engine.EnumAllDevices(index, record);
    if (result == -1) break;
    if (result == 0) ++described;
  }
  return described;
}

// A simulated machine with its data model and engine.
class TBenchMachine {
 public:
  explicit TBenchMachine(size_t deviceCount) {
    machine.shell.appDataFolder = folder.Path();
    AddSimulatedPcDevices(machine.devices, deviceCount);
    model = std::make_unique<TDriverDatamodel>(machine.Ports());
    engine = std::make_unique<TDataManager>(*model, machine.Ports());
  }

  TScratchFolder folder;
  TSimMachine machine;
  std::unique_ptr<TDriverDatamodel> model;
  std::unique_ptr<TDataManager> engine;
};

// Milliseconds of repeats whole enumerations, one after the other.
double Milliseconds(TDataManager& engine, int repeats, size_t& described) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) described = EnumerateAll(engine);
  std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count();
}

}  // namespace

int main() {
  // The two sizes alternate round by round, and the small machine is enumerated
  // four times a round, so that both see the same load of the computer; the best
  // round of each counts.
  constexpr int kRounds = 15;
  TBenchMachine small(250), large(1000);
  size_t describedSmall = 0, describedLarge = 0;
  double bestSmall = 1e300, bestLarge = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    bestSmall = std::min(bestSmall, Milliseconds(*small.engine, 4, describedSmall) / 4);
    bestLarge = std::min(bestLarge, Milliseconds(*large.engine, 1, describedLarge));
  }
  std::printf("%-44s %10s %10s\n", "EnumAllDevices, index 0 to the end", "ms", "described");
  std::printf("%-44s %10.3f %10zu\n", "  250 devices", bestSmall, describedSmall);
  std::printf("%-44s %10.3f %10zu\n", "  1000 devices", bestLarge, describedLarge);
  std::printf("%-44s %10.2f\n", "  ratio 1000 / 250 (linear 4, quadratic 16)", bestLarge / bestSmall);
  return 0;
}
