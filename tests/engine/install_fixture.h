// The install run's test fixture: a display device on the simulated machine, packages put
// into its download folder and recorded as confirmed, and the run's callbacks as lines.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "demo_packages.h"
#include "engine/package_records.h"
#include "sim_engine.h"
#include "support/null_callback_handler.h"

inline constexpr const char* DEVICE_ID = "PCI\\VEN_1234&DEV_1111";

using TZipEntries = std::vector<std::pair<std::string, std::string>>;

// Install callbacks as lines; backup callbacks only as "backup <name>" markers.
class TInstallRecorder : public TNullCallbackHandler {
 public:
  explicit TInstallRecorder(TDataManager* engine = nullptr) : m_engine(engine) {}

  void StartInstall(int32_t nCount) override { Add("StartInstall " + std::to_string(nCount)); }
  void StartDriverBackup(const TDeviceProperties& device) override { Add("StartDriverBackup " + device.strName); }
  void StartDriverInstall(const TDeviceProperties& device) override {
    if (m_engine) installingSeen = installingSeen && m_engine->m_installing;
    Add("StartDriverInstall " + device.strName);
  }
  void FinishDriverInstall(const TDeviceProperties& device, int32_t AResult) override {
    Add("FinishDriverInstall " + device.strName + " " + std::to_string(AResult));
    if (stopAfterFirstDevice && m_engine) m_engine->InstallCancel();
  }
  void FinishInstall(bool ASuccess, bool ARebootRequired) override {
    Add(std::string("FinishInstall ") + (ASuccess ? "true" : "false") + (ARebootRequired ? " reboot" : ""));
  }
  void StartExtract(int32_t nCount) override { Add("StartExtract " + std::to_string(nCount)); }
  void StartFileExtract(const std::string& AFileName) override {
    Add("StartFileExtract " + AFileName);
    if (onFileExtract) onFileExtract(AFileName);
  }
  void FinishExtract(bool ASuccess) override { Add(std::string("FinishExtract ") + (ASuccess ? "true" : "false")); }

  // The calls without the backup markers.
  std::vector<std::string> InstallCalls() const {
    std::vector<std::string> calls;
    for (const std::string& call : calls_)
      if (call.rfind("StartDriverBackup", 0) != 0) calls.push_back(call);
    return calls;
  }

  std::vector<std::string> calls_;
  bool stopAfterFirstDevice = false;
  // Runs as each entry is extracted: what another process could do meanwhile.
  std::function<void(const std::string&)> onFileExtract;
  bool installingSeen = true;

 private:
  void Add(std::string call) { calls_.push_back(std::move(call)); }
  TDataManager* m_engine;
};

class TInstallFixture : public TSimEngineFixture, public ::testing::Test {
 protected:
  TInstallFixture() {
    TSimDevice device;
    device.instanceId = "PCI\\VEN_1234&DEV_1111\\3&11583659&0&10";
    device.classGuid = GuidFromText(DISPLAY_CLASS);
    device.description = "Quorvane Display";
    device.hardwareIds = {DEVICE_ID};
    // The installed driver's INF is there to be backed up before each install.
    device.driver = Driver();
    device.driver->infPath = folder.File("Windows/INF/oem7.inf");
    folder.Write("Windows/INF/oem7.inf", "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n");
    machine.devices.AddDevice(device);
    machine.devices.systemDirectory = folder.File("Windows/System32");
    Engine();
    downloads = folder.File("Downloads");
    std::filesystem::create_directories(downloads);
    model->SetDownloadLocation(downloads);
  }

  // Each case of a table starts with no devices, launches, stop or downloads.
  void StartCase() {
    devices.clear();
    machine.shell.launches.clear();
    engine->m_stopped = false;
    std::filesystem::remove_all(downloads);
  }

  TDeviceProperties& NewDevice(const std::string& name, const std::string& driverId) {
    auto device = std::make_unique<TDeviceProperties>();
    device->strName = name;
    device->strHID = DEVICE_ID;
    device->strClassGUID = "Display";
    device->strDriverDBId = driverId;
    devices.push_back(std::move(device));
    return *devices.back();
  }

  // Puts a package file into a driver id's download folder, recorded as the download
  // run records a package the server confirmed.
  std::string PutPackage(const std::string& driverId, const std::string& fileName, const std::string& bytes) {
    const std::filesystem::path target = std::filesystem::path(downloads) / driverId / fileName;
    std::filesystem::create_directories(target.parent_path());
    folder.Write(std::filesystem::relative(target, folder.Path()).string(), bytes);
    RecordPackage(machine, driverId, target.string());
    return target.string();
  }

  TDriverMap Map() const {
    TDriverMap map;
    for (const auto& device : devices) map.push_back(device.get());
    return map;
  }

  // The files the shell was asked to run or open, by their names.
  std::vector<std::string> LaunchedNames() const {
    std::vector<std::string> names;
    for (const auto& launch : machine.shell.launches) names.push_back(std::filesystem::path(launch.request.file).filename().string());
    return names;
  }

  static std::string Inf(const std::string& hardwareId) {
    qvserver::DemoDriver driver;
    driver.hardware_ids = {hardwareId};
    driver.version = "31.0.0.1";
    return qvserver::demo_inf_text(driver);
  }

  std::string downloads;
  std::vector<std::unique_ptr<TDeviceProperties>> devices;
};
