// The console's view of a scan: one progress line per device, the check, the outcome.
// The other notifications print nothing; qvcli runs no downloads or installs yet.
#pragma once

#include <ostream>

#include "ui/callback_view.h"

class TConsoleScanView : public ICallbackView {
 public:
  TConsoleScanView(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_out << "Scanning: " << deviceName << "\n"; }
  void ShowCheckingForUpdates() override { m_out << "Checking for Updates..." << std::endl; }
  void ShowServerProblem() override { m_err << "The scan failed: the driver server could not be used.\n"; }
  void ShowDownloadStart(int32_t) override {}
  void ShowDriverDownloadStart(const std::string&, int32_t) override {}
  void ShowDriverDownloadEnd(int32_t) override {}
  void ShowDownloadEnd(bool) override {}
  void ShowDownloadStep(int32_t) override {}
  TActiveAction ActiveAction() const override { return aclOther; }
  void ShowBackupStart() override {}
  void ShowDriverBackupStart(const std::string&) override {}
  void ShowDriverBackupEnd(const std::string&, bool) override {}
  void ShowBackupEnd(bool, bool) override {}
  void ShowUpdateStatus(const std::string&) override {}
  void ReleaseBackupList() override {}
  void ShowInstallStart() override {}
  void ShowDriverInstallStart(const std::string&) override {}
  void ShowDriverInstallEnd(const std::string&) override {}
  void ShowInstallEnd(bool, bool) override {}
  void ShowExtractStart(int32_t) override {}
  void ShowFileExtracted() override {}
  void ShowExtractEnd(bool) override {}
  void Repaint() override {}

 private:
  std::ostream& m_out;
  std::ostream& m_err;
};
