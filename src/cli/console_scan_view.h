// The console's view of a scan: one progress line per device, the check, the outcome.
// The other notifications print nothing here; the download, install and backup
// views add theirs.
#pragma once

#include <ostream>

#include "ui/scan_callback_view.h"

class TConsoleScanView : public TScanCallbackView {
 public:
  TConsoleScanView(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_out << "Scanning: " << deviceName << "\n"; }
  void ShowCheckingForUpdates() override { m_out << "Checking for Updates..." << std::endl; }
  void ShowServerProblem() override { m_err << "The scan failed: the driver server could not be used.\n"; }

 private:
  std::ostream& m_out;
  std::ostream& m_err;
};
