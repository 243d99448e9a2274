// Times a backup of 20 simulated devices whose INFs name catalogs, on a system
// directory of realistic size (about 2,600 folders and 26,000 files) in a temp
// folder: the backup run, which walks the directory at most once, against the same
// devices backed up one by one, each with a walk of its own. Prints both times and
// their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/data_model.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "platform/sim/sim_machine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDevices = 20;
constexpr const char* kCatalogFolder = "CatRoot/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

class TScratchFolder {
 public:
  TScratchFolder() {
    std::random_device random;
    m_path = fs::temp_directory_path() / ("qv-bench-" + std::to_string(random()));
    fs::create_directories(m_path);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  fs::path Path() const { return m_path; }

 private:
  fs::path m_path;
};

void Write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// A system directory shaped like a Windows one: top-level folders with nested
// folders of small files, the driver catalogs in their catalog-root folder.
void BuildSystemDirectory(const fs::path& system) {
  for (int top = 0; top < 120; ++top) {
    const fs::path folder = system / ("Folder" + std::to_string(top));
    for (int sub = 0; sub < 20; ++sub) {
      const fs::path nested = folder / ("sub" + std::to_string(sub));
      fs::create_directories(nested);
      for (int file = 0; file < 10; ++file) Write(nested / ("file" + std::to_string(file) + ".dll"), "x");
    }
  }
  for (int file = 0; file < 2000; ++file) Write(system / ("lib" + std::to_string(file) + ".dll"), "x");
  for (int catalog = 0; catalog < 200; ++catalog)
    Write(system / kCatalogFolder / ("package" + std::to_string(catalog) + ".cat"), "catalog");
  for (int device = 0; device < kDevices; ++device)
    Write(system / kCatalogFolder / ("oem" + std::to_string(device) + ".cat"), "catalog of device " + std::to_string(device));
}

class TBenchMachine {
 public:
  TBenchMachine() {
    const fs::path windows = scratch.Path() / "Windows";
    machine.shell.appDataFolder = FromPath(scratch.Path() / "AppData");
    machine.devices.systemDirectory = FromPath(windows / "System32");
    BuildSystemDirectory(windows / "System32");
    machine.devices.AddClass("{4d36e97d-e325-11ce-bfc1-08002be10318}", "System", "System devices");
    for (int device = 0; device < kDevices; ++device) AddDevice(windows, device);
    model = std::make_unique<TDriverDatamodel>(machine.Ports());
    model->SetBackupLocation(FromPath(BackupRoot()));
    engine = std::make_unique<TDataManager>(*model, machine.Ports());
    for (auto& record : records) devices.push_back(&record);
  }

  fs::path BackupRoot() const { return scratch.Path() / "Backups"; }
  void ClearBackups() const {
    fs::remove_all(BackupRoot());
    fs::create_directories(BackupRoot());
  }

  TScratchFolder scratch;
  TSimMachine machine;
  std::unique_ptr<TDriverDatamodel> model;
  std::unique_ptr<TDataManager> engine;
  std::vector<TDeviceProperties> records;
  TDriverMap devices;

 private:
  void AddDevice(const fs::path& windows, int index) {
    const std::string number = std::to_string(index);
    const std::string hardwareId = "ROOT\\QVBENCH_" + number;
    const fs::path inf = windows / "INF" / ("oem" + number + ".inf");
    Write(inf, "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=oem" + number + ".cat\r\n");
    TSimDriver driver;
    driver.infPath = FromPath(inf);
    driver.section = "Bench_Install";
    driver.version = 0x0001000000000000ULL;
    driver.hardwareIds = {hardwareId};
    for (const char* name : {".sys", ".dll"}) {
      const fs::path file = windows / "System32" / "drivers" / ("bench" + number + name);
      Write(file, std::string(16 * 1024, 'd'));
      driver.files.push_back(FromPath(file));
    }
    TSimDevice device;
    device.instanceId = "ROOT\\SYSTEM\\" + number;
    device.classGuid = GuidFromText("{4d36e97d-e325-11ce-bfc1-08002be10318}");
    device.description = "Bench device " + number;
    device.hardwareIds = {hardwareId};
    device.driver = driver;
    machine.devices.AddDevice(device);

    TDeviceProperties record;
    record.strName = device.description;
    record.strHID = hardwareId;
    record.strClassGUID = "System";
    record.strVersion = "1.0.0.0";
    records.push_back(record);
  }
};

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count();
}

}  // namespace

int main() {
  TBenchMachine bench;
  constexpr int kRounds = 7;
  double bestRun = 1e300, bestPerDevice = 1e300;
  int walksRun = 0, walksPerDevice = 0;
  bool allBackedUp = true;
  for (int round = 0; round < kRounds; ++round) {
    bench.ClearBackups();
    int before = bench.machine.devices.systemDirectoryQueries;
    bestRun = std::min(bestRun, Milliseconds([&] { allBackedUp &= bench.engine->Backup(bench.devices, nullptr); }));
    walksRun = bench.machine.devices.systemDirectoryQueries - before;

    bench.ClearBackups();
    before = bench.machine.devices.systemDirectoryQueries;
    bestPerDevice = std::min(bestPerDevice, Milliseconds([&] {
      for (TDeviceProperties* device : bench.devices) allBackedUp &= bench.engine->Backup(*device, nullptr);
    }));
    walksPerDevice = bench.machine.devices.systemDirectoryQueries - before;
  }
  bool catalogsCopied = true;
  for (int device = 0; device < kDevices; ++device)
    catalogsCopied &= fs::exists(bench.BackupRoot() / ("Bench device " + std::to_string(device) + " - 1.0.0.0") /
                                 ("oem" + std::to_string(device) + ".cat"));

  std::printf("%-52s %10s %8s\n", "Backup of 20 devices with catalogs (best of 7)", "ms", "walks");
  std::printf("%-52s %10.2f %8d\n", "  backup run, one catalog walk", bestRun, walksRun);
  std::printf("%-52s %10.2f %8d\n", "  one-device backups, a walk per device", bestPerDevice, walksPerDevice);
  std::printf("%-52s %10.2f\n", "  ratio per device / run", bestPerDevice / bestRun);
  std::printf("all backed up: %s, every catalog copied: %s\n", allBackedUp ? "yes" : "no", catalogsCopied ? "yes" : "no");
  return allBackedUp && catalogsCopied ? 0 : 1;
}
