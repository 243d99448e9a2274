// A callback handler that records the download progress and can stop the run.
#pragma once

#include <atomic>
#include <vector>

#include "engine/callback_handler.h"

class TStepRecorder : public TICallbackHandler {
 public:
  // stopAfter: the step after which the stop flag is set (0: never).
  TStepRecorder(std::atomic<bool>& stopped, size_t stopAfter) : m_stopped(stopped), m_stopAfter(stopAfter) {}

  void StepDriverDownload(int32_t nStep) override {
    steps.push_back(nStep);
    if (steps.size() == m_stopAfter) m_stopped = true;
  }
  std::vector<int32_t> steps;

  void StartScanning() override {}
  void StartScanDriver() override {}
  void FinishScanDriver(const TDeviceProperties&) override {}
  void CheckingForUpdate() override {}
  void FinishScanning(int32_t) override {}
  void StartDownload(int32_t) override {}
  void StartDriverDownload(const TDeviceProperties&) override {}
  void FinishDriverDownload(const TDeviceProperties&, int32_t) override {}
  void FinishDownload(bool) override {}
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

 private:
  std::atomic<bool>& m_stopped;
  size_t m_stopAfter;
};
