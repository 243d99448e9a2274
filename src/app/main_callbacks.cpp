#include "app/main_callbacks.h"

#include "ui/callback_relay.h"
#include "ui/update_flow.h"
#include "ui/win32/ui_thread.h"

namespace {

// The window's view of the callbacks: the scan's go to the overview, the
// download, install and extract ones to the update flow, the backup's to the
// backup pages (the update's own backup step, while an update runs, to the flow).
class TMainView : public TUpdateCallbackView {
 public:
  TMainView(IScanProgress& scan, IBackupProgress& backup) : m_scan(scan), m_backup(backup) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_scan.ShowScanningDevice(deviceName); }
  void ShowCheckingForUpdates() override { m_scan.ShowCheckingForUpdates(); }
  void ShowServerProblem() override { m_scan.ShowServerProblem(); }
  void Repaint() override { m_scan.Repaint(); }
  TActiveAction ActiveAction() const override {
    return Updating() ? TUpdateCallbackView::ActiveAction() : m_backup.ActiveAction();
  }
  void ShowBackupStart() override { m_backup.ShowBackupStart(); }
  void ShowDriverBackupStart(const std::string& deviceName) override {
    if (Updating()) TUpdateCallbackView::ShowDriverBackupStart(deviceName);
    else m_backup.ShowDriverBackupStart(deviceName);
  }
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override {
    if (Updating()) TUpdateCallbackView::ShowDriverBackupEnd(deviceName, success);
    else m_backup.ShowDriverBackupEnd(deviceName, success);
  }
  void ShowBackupEnd(bool success, bool) override { m_backup.ShowBackupEnd(success); }
  void ReleaseBackupList() override { m_backup.ReleaseBackupList(); }

 private:
  bool Updating() const { return TUpdateCallbackView::ActiveAction() == TActiveAction::aclUpdateDriver; }

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

TCallbackRelay& TMainCallbacks::Relay() { return m_impl->relay; }

void TMainCallbacks::AttachUpdates(TUpdateFlow& flow) { m_impl->view.AttachUpdates(flow); }

void TMainCallbacks::Shutdown() {
  m_impl->dispatcher.Shutdown();
  m_impl->port.Close();
}
