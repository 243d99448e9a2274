// ICallbackView: what the window shows for each worker callback. Every Show…
// runs on the UI thread with copies made when the engine called; ActiveAction
// is read on the worker's thread.
#pragma once

#include <cstdint>
#include <string>

#include "core/device_list.h"

// The page action in progress, as far as the callbacks care.
enum class TActiveAction { aclOther = 0, aclBackup = 1, aclUpdateDriver = 2 };

class ICallbackView {
 public:
  virtual ~ICallbackView() = default;

  // Scan.
  virtual void ShowScanningDevice(const std::string& deviceName) = 0;
  virtual void ShowCheckingForUpdates() = 0;
  virtual void ShowServerProblem() = 0;  // the scan's exchange failed

  // Download.
  virtual void ShowDownloadStart(int32_t count) = 0;
  virtual void ShowDriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes) = 0;
  virtual void ShowDriverDownloadEnd(int32_t result) = 0;
  virtual void ShowDownloadEnd(bool success) = 0;
  virtual void ShowDownloadStep(int32_t kilobytes) = 0;

  // Backup.
  virtual TActiveAction ActiveAction() const = 0;
  virtual void ShowBackupStart() = 0;
  virtual void ShowDriverBackupStart(const std::string& deviceName) = 0;
  virtual void ShowDriverBackupEnd(const std::string& deviceName, bool success) = 0;
  virtual void ShowBackupEnd(bool success, bool canceled) = 0;  // the Backup page's end step
  virtual void ShowUpdateBackupEnd() = 0;  // the backup ahead of an update ended
  // The backup run has let go of the window's backup list (worker's thread).
  virtual void ReleaseBackupList() = 0;

  // Install.
  virtual void ShowInstallStart(int32_t count) = 0;
  virtual void ShowDriverInstallStart(const std::string& deviceName) = 0;
  // result as FinishDriverInstall gives it, 1 for a device that had no package.
  virtual void ShowDriverInstallEnd(int32_t result) = 0;
  // The run installed the device's driver: its record becomes installed and unselected.
  virtual void MarkInstalled(const TDeviceProperties& device) = 0;
  // Ends the update page's run: frees the update list, the stop button becomes Back.
  virtual void ShowInstallEnd(bool success, bool rebootRequired) = 0;
  virtual void ShowExtractStart(int32_t entryCount) = 0;
  virtual void ShowFileExtracted() = 0;
  virtual void ShowExtractEnd(bool success) = 0;

  virtual void Repaint() = 0;
};
