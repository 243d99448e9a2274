#include "ui/callback_relay.h"

#include <charconv>

int32_t DriverSizeKilobytes(const std::string& strDriverSize) {
  int32_t value = 0;
  const char* end = strDriverSize.data() + strDriverSize.size();
  auto [stop, error] = std::from_chars(strDriverSize.data(), end, value);
  return error == std::errc() && stop == end ? value : 0;
}

void TCallbackRelay::SetPackagesPresent(std::set<const TDeviceProperties*> devices) {
  std::lock_guard lock(m_packagesMutex);
  m_withPackage = std::move(devices);
}

int32_t TCallbackRelay::InstallResult(const TDeviceProperties& deviceProps, int32_t AResult) const {
  std::lock_guard lock(m_packagesMutex);
  if (AResult == 0 && m_withPackage && m_withPackage->count(&deviceProps) == 0) return 1;
  return AResult;
}

void TCallbackRelay::FinishScanDriver(const TDeviceProperties& deviceProps) {
  m_dispatcher.Queue([this, name = deviceProps.strName] { m_view.ShowScanningDevice(name); });
}

void TCallbackRelay::CheckingForUpdate() {
  m_dispatcher.Send([this] { m_view.ShowCheckingForUpdates(); });
}

void TCallbackRelay::FinishScanning(int32_t AResult) {
  if (AResult == 1) m_dispatcher.Send([this] { m_view.ShowServerProblem(); });
}

void TCallbackRelay::StartDownload(int32_t nCount) {
  m_dispatcher.Queue([this, nCount] { m_view.ShowDownloadStart(nCount); });
}

void TCallbackRelay::StartDriverDownload(const TDeviceProperties& deviceProps) {
  m_dispatcher.Queue([this, name = deviceProps.strName, nSize = DriverSizeKilobytes(deviceProps.strDriverSize)] {
    m_view.ShowDriverDownloadStart(name, nSize);
  });
}

void TCallbackRelay::FinishDriverDownload(const TDeviceProperties&, int32_t ASuccess) {
  m_dispatcher.Queue([this, ASuccess] { m_view.ShowDriverDownloadEnd(ASuccess); });
}

void TCallbackRelay::FinishDownload(bool ASuccess) {
  m_dispatcher.Send([this, ASuccess] { m_view.ShowDownloadEnd(ASuccess); });
}

void TCallbackRelay::StepDriverDownload(int32_t nStep) {
  m_dispatcher.Queue([this, kilobytes = nStep / 1024] { m_view.ShowDownloadStep(kilobytes); });
}

void TCallbackRelay::StartBackup(int32_t) {
  m_backupCanceled = false;
  if (m_view.ActiveAction() == TActiveAction::aclBackup) m_dispatcher.Send([this] { m_view.ShowBackupStart(); });
}

void TCallbackRelay::StartDriverBackup(const TDeviceProperties& deviceProps) {
  m_dispatcher.Queue([this, name = deviceProps.strName] { m_view.ShowDriverBackupStart(name); });
}

void TCallbackRelay::FinishDriverBackup(const TDeviceProperties& deviceProps, bool ASuccess) {
  m_dispatcher.Queue(
      [this, name = deviceProps.strName, ASuccess] { m_view.ShowDriverBackupEnd(name, ASuccess); });
}

void TCallbackRelay::FinishBackup(bool ASuccess) {
  const TActiveAction action = m_view.ActiveAction();
  if (action == TActiveAction::aclBackup) {
    m_dispatcher.Send([this, ASuccess, canceled = m_backupCanceled.load()] { m_view.ShowBackupEnd(ASuccess, canceled); });
  } else if (action == TActiveAction::aclUpdateDriver) {
    m_dispatcher.Queue([this] { m_view.ShowUpdateBackupEnd(); });
  }
  m_view.ReleaseBackupList();
}

void TCallbackRelay::StartInstall(int32_t nCount) {
  m_dispatcher.Send([this, nCount] { m_view.ShowInstallStart(nCount); });
}

void TCallbackRelay::StartDriverInstall(const TDeviceProperties& deviceProps) {
  m_dispatcher.Send([this, name = deviceProps.strName] { m_view.ShowDriverInstallStart(name); });
}

void TCallbackRelay::FinishDriverInstall(const TDeviceProperties& deviceProps, int32_t AResult) {
  // The record is marked while the worker waits: the run does not touch it meanwhile.
  m_dispatcher.Send([this, &deviceProps, result = InstallResult(deviceProps, AResult)] {
    if (result == 0) m_view.MarkInstalled(deviceProps);
    m_view.ShowDriverInstallEnd(result);
  });
}

void TCallbackRelay::FinishInstall(bool ASuccess, bool ARebootRequired) {
  m_dispatcher.Send([this, ASuccess, ARebootRequired] { m_view.ShowInstallEnd(ASuccess, ARebootRequired); });
}

void TCallbackRelay::StartExtract(int32_t nCount) {
  m_dispatcher.Send([this, nCount] { m_view.ShowExtractStart(nCount); });
}

void TCallbackRelay::StartFileExtract(const std::string&) {
  m_dispatcher.Queue([this] { m_view.ShowFileExtracted(); });
}

void TCallbackRelay::FinishExtract(bool ASuccess) {
  m_dispatcher.Send([this, ASuccess] { m_view.ShowExtractEnd(ASuccess); });
}

void TCallbackRelay::Refresh() {
  m_dispatcher.Queue([this] { m_view.Repaint(); });
}
