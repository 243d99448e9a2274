#include "app/main_callbacks.h"

#include "ui/callback_relay.h"
#include "ui/win32/ui_thread.h"

namespace {

// The window's view of the callbacks: the scan's go to the overview; the
// download, backup and install pages add theirs here.
class TMainView : public ICallbackView {
 public:
  explicit TMainView(IScanProgress& scan) : m_scan(scan) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_scan.ShowScanningDevice(deviceName); }
  void ShowCheckingForUpdates() override { m_scan.ShowCheckingForUpdates(); }
  void ShowServerProblem() override { m_scan.ShowServerProblem(); }
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
  void Repaint() override { m_scan.Repaint(); }

 private:
  IScanProgress& m_scan;
};

}  // namespace

struct TMainCallbacks::TImpl {
  explicit TImpl(IScanProgress& scan) : view(scan) {}
  TWin32UiThread port;
  TCallbackDispatcher dispatcher{port};
  TMainView view;
  TCallbackRelay relay{dispatcher, view};
};

TMainCallbacks::TMainCallbacks(IScanProgress& scan) : m_impl(std::make_unique<TImpl>(scan)) {}

TMainCallbacks::~TMainCallbacks() { Shutdown(); }

TICallbackHandler& TMainCallbacks::Handler() { return m_impl->relay; }

TCallbackDispatcher& TMainCallbacks::Dispatcher() { return m_impl->dispatcher; }

void TMainCallbacks::Shutdown() {
  m_impl->dispatcher.Shutdown();
  m_impl->port.Close();
}
