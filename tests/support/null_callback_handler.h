// A callback handler that ignores every call; tests and benchmarks derive from it
// and override only the calls they look at.
#pragma once

#include "engine/callback_handler.h"

class TNullCallbackHandler : public TICallbackHandler {
 public:
  void StartScanning() override {}
  void StartScanDriver() override {}
  void FinishScanDriver(const TDeviceProperties&) override {}
  void CheckingForUpdate() override {}
  void FinishScanning(int32_t) override {}
  void StartDownload(int32_t) override {}
  void StartDriverDownload(const TDeviceProperties&) override {}
  void FinishDriverDownload(const TDeviceProperties&, int32_t) override {}
  void FinishDownload(bool) override {}
  void StepDriverDownload(int32_t) override {}
  void StartBackup(int32_t) override {}
  void StartDriverBackup(const TDeviceProperties&) override {}
  void FinishDriverBackup(const TDeviceProperties&, bool) override {}
  void FinishBackup(bool) override {}
  void StartInstall(int32_t) override {}
  void StartDriverInstall(const TDeviceProperties&) override {}
  void FinishDriverInstall(const TDeviceProperties&, int32_t) override {}
  void FinishInstall(bool, bool) override {}
  void StartExtract(int32_t) override {}
  void StartFileExtract(const std::string&) override {}
  void FinishExtract(bool) override {}
  void Refresh() override {}
};
