#include "app/main_callbacks.h"

#include "ui/callback_relay.h"
#include "ui/scan_callback_view.h"
#include "ui/win32/ui_thread.h"

namespace {

// The window's view of the callbacks: the scan's go to the overview, the
// backup's to the backup pages; the download and install pages add theirs here
// as they are built.
class TMainView : public TScanCallbackView {
 public:
  TMainView(IScanProgress& scan, IBackupProgress& backup) : m_scan(scan), m_backup(backup) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_scan.ShowScanningDevice(deviceName); }
  void ShowCheckingForUpdates() override { m_scan.ShowCheckingForUpdates(); }
  void ShowServerProblem() override { m_scan.ShowServerProblem(); }
  void Repaint() override { m_scan.Repaint(); }
  TActiveAction ActiveAction() const override { return m_backup.ActiveAction(); }
  void ShowBackupStart() override { m_backup.ShowBackupStart(); }
  void ShowDriverBackupStart(const std::string& deviceName) override { m_backup.ShowDriverBackupStart(deviceName); }
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override {
    m_backup.ShowDriverBackupEnd(deviceName, success);
  }
  void ShowBackupEnd(bool success, bool) override { m_backup.ShowBackupEnd(success); }
  void ReleaseBackupList() override { m_backup.ReleaseBackupList(); }

 private:
  IScanProgress& m_scan;
  IBackupProgress& m_backup;
};

}  // namespace

struct TMainCallbacks::TImpl {
  TImpl(IScanProgress& scan, IBackupProgress& backup) : view(scan, backup) {}
  TWin32UiThread port;
  TCallbackDispatcher dispatcher{port};
  TMainView view;
  TCallbackRelay relay{dispatcher, view};
};

TMainCallbacks::TMainCallbacks(IScanProgress& scan, IBackupProgress& backup)
    : m_impl(std::make_unique<TImpl>(scan, backup)) {}

TMainCallbacks::~TMainCallbacks() { Shutdown(); }

TICallbackHandler& TMainCallbacks::Handler() { return m_impl->relay; }

TCallbackDispatcher& TMainCallbacks::Dispatcher() { return m_impl->dispatcher; }

void TMainCallbacks::Shutdown() {
  m_impl->dispatcher.Shutdown();
  m_impl->port.Close();
}
