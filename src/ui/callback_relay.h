// TCallbackRelay: the window's TICallbackHandler. It copies what a notification
// shows on the worker's thread and hands it to the view on the UI thread, queued
// for per-device and per-chunk progress, synchronously for the start and end of phases.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <set>

#include "engine/callback_handler.h"
#include "ui/callback_dispatcher.h"
#include "ui/callback_view.h"

class TCallbackRelay : public TICallbackHandler {
 public:
  TCallbackRelay(TCallbackDispatcher& dispatcher, ICallbackView& view) : m_dispatcher(dispatcher), m_view(view) {}

  // The Backup page's stop action (UI thread).
  void CancelBackup() { m_backupCanceled = true; }
  bool BackupCanceled() const { return m_backupCanceled; }
  // The devices whose package was in the download folder when the install run began:
  // a device outside it that the run reports installed got nothing and counts as failed.
  void SetPackagesPresent(std::set<const TDeviceProperties*> devices);
  // FinishDriverInstall's result as the window and the console show it.
  int32_t InstallResult(const TDeviceProperties& deviceProps, int32_t AResult) const;

  void StartScanning() override {}
  void StartScanDriver() override {}
  void FinishScanDriver(const TDeviceProperties& deviceProps) override;
  void CheckingForUpdate() override;
  void FinishScanning(int32_t AResult) override;
  void StartDownload(int32_t nCount) override;
  void StartDriverDownload(const TDeviceProperties& deviceProps) override;
  void FinishDriverDownload(const TDeviceProperties& deviceProps, int32_t ASuccess) override;
  void FinishDownload(bool ASuccess) override;
  void StepDriverDownload(int32_t nStep) override;
  void StartBackup(int32_t nCount) override;
  void StartDriverBackup(const TDeviceProperties& deviceProps) override;
  void FinishDriverBackup(const TDeviceProperties& deviceProps, bool ASuccess) override;
  void FinishBackup(bool ASuccess) override;
  void StartInstall(int32_t nCount) override;
  void StartDriverInstall(const TDeviceProperties& deviceProps) override;
  void FinishDriverInstall(const TDeviceProperties& deviceProps, int32_t AResult) override;
  void FinishInstall(bool ASuccess, bool ARebootRequired) override;
  void StartExtract(int32_t nCount) override;
  void StartFileExtract(const std::string& AFileName) override;
  void FinishExtract(bool ASuccess) override;
  void Refresh() override;

 private:
  TCallbackDispatcher& m_dispatcher;
  ICallbackView& m_view;
  std::atomic<bool> m_backupCanceled{false};
  mutable std::mutex m_packagesMutex;
  std::optional<std::set<const TDeviceProperties*>> m_withPackage;  // none: not known
};

// strDriverSize (whole kilobytes as decimal text) as a number; 0 when it is not one.
int32_t DriverSizeKilobytes(const std::string& strDriverSize);
