// TICallbackHandler: how the engine's runs (scan, download, backup, install) report
// their progress to the window. Operations in their fixed order; the window implements it.
#pragma once

#include <cstdint>
#include <string>

#include "devices/device_properties.h"

// The scan's end when the system gave no device set at all (its message is shown).
constexpr int32_t QV_SCAN_DEVICE_SERVICE_FAILED = 3;

class TICallbackHandler {
 public:
  virtual ~TICallbackHandler() = default;

  virtual void StartScanning() = 0;
  virtual void StartScanDriver() = 0;
  virtual void FinishScanDriver(const TDeviceProperties& deviceProps) = 0;
  virtual void CheckingForUpdate() = 0;
  // 0 done, 1 the server exchange failed, 2 stopped, QV_SCAN_DEVICE_SERVICE_FAILED.
  virtual void FinishScanning(int32_t AResult) = 0;
  virtual void StartDownload(int32_t nCount) = 0;
  virtual void StartDriverDownload(const TDeviceProperties& deviceProps) = 0;
  virtual void FinishDriverDownload(const TDeviceProperties& deviceProps, int32_t ASuccess) = 0;
  virtual void FinishDownload(bool ASuccess) = 0;
  virtual void StepDriverDownload(int32_t nStep) = 0;
  virtual void StartBackup(int32_t nCount) = 0;
  virtual void StartDriverBackup(const TDeviceProperties& deviceProps) = 0;
  virtual void FinishDriverBackup(const TDeviceProperties& deviceProps, bool ASuccess) = 0;
  virtual void FinishBackup(bool ASuccess) = 0;
  virtual void StartInstall(int32_t nCount) = 0;
  virtual void StartDriverInstall(const TDeviceProperties& deviceProps) = 0;
  virtual void FinishDriverInstall(const TDeviceProperties& deviceProps, int32_t AResult) = 0;
  virtual void FinishInstall(bool ASuccess, bool ARebootRequired) = 0;
  virtual void StartExtract(int32_t nCount) = 0;
  virtual void StartFileExtract(const std::string& AFileName) = 0;
  virtual void FinishExtract(bool ASuccess) = 0;
  virtual void Refresh() = 0;
};
