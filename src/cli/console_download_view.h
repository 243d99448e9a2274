// The console's view of a download run, on top of the scan's: the phase lines, one line
// per device with its outcome, and the progress of each file in quarters. The install and
// backup commands derive their views from this one and add their own notifications.
#pragma once

#include <ostream>
#include <string>

#include "cli/console_scan_view.h"
#include "platform/string_table.h"
#include "ui/update_progress.h"

class TConsoleDownloadView : public TConsoleScanView {
 public:
  TConsoleDownloadView(std::ostream& out, std::ostream& err, IStringTable& strings)
      : TConsoleScanView(out, err), m_strings(strings), m_out(out) {}

  void ShowDownloadStart(int32_t count) override {
    m_started = true;
    m_out << "Starting download of " << count << " drivers.\n";
  }
  void ShowDriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes) override {
    m_deviceName = deviceName;
    m_sizeKilobytes = sizeKilobytes;
    m_receivedKilobytes = 0;
    m_quartersShown = 0;
    m_out << "Downloading: " << deviceName;
    if (sizeKilobytes > 0) m_out << " (" << sizeKilobytes << " KB)";
    m_out << "\n";
  }
  void ShowDownloadStep(int32_t kilobytes) override {
    m_receivedKilobytes += kilobytes;
    if (m_sizeKilobytes <= 0) return;
    // A line at each quarter of the offered size that was reached (the last one at the end).
    while (m_quartersShown < 3 && m_receivedKilobytes * 4 >= int64_t{m_sizeKilobytes} * (m_quartersShown + 1)) {
      ++m_quartersShown;
      m_out << "  " << m_quartersShown * 25 << "%\n";
    }
  }
  void ShowDriverDownloadEnd(int32_t result) override {
    if (result != 0) ++m_failures;
    m_out << m_deviceName << ": " << m_strings.Load(DownloadResultTextId(result)) << std::endl;
  }
  void ShowDownloadEnd(bool success) override {
    m_finished = success;
    m_out << (success ? "Downloading of drivers finished." : "The download run ended before all drivers were fetched.")
          << std::endl;
  }

  // The devices whose download did not end with result 0.
  int Failures() const { return m_failures; }
  bool Started() const { return m_started; }
  bool Finished() const { return m_finished; }


 protected:
  IStringTable& m_strings;  // the update page's result texts, shared with the window

 private:
  std::ostream& m_out;
  std::string m_deviceName;
  int32_t m_sizeKilobytes = 0;
  int64_t m_receivedKilobytes = 0;
  int m_quartersShown = 0;
  int m_failures = 0;
  bool m_started = false;
  bool m_finished = false;
};
