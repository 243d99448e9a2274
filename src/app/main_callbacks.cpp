#include "app/main_callbacks.h"

#include "ui/callback_relay.h"
#include "ui/update_flow.h"
#include "ui/win32/ui_thread.h"

namespace {

// The window's view of the callbacks: the scan's go to the overview, the
// download, install and extract ones to the update flow.
class TMainView : public TUpdateCallbackView {
 public:
  explicit TMainView(IScanProgress& scan) : m_scan(scan) {}

  void ShowScanningDevice(const std::string& deviceName) override { m_scan.ShowScanningDevice(deviceName); }
  void ShowCheckingForUpdates() override { m_scan.ShowCheckingForUpdates(); }
  void ShowServerProblem() override { m_scan.ShowServerProblem(); }
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

TCallbackRelay& TMainCallbacks::Relay() { return m_impl->relay; }

void TMainCallbacks::AttachUpdates(TUpdateFlow& flow) { m_impl->view.AttachUpdates(flow); }

void TMainCallbacks::Shutdown() {
  m_impl->dispatcher.Shutdown();
  m_impl->port.Close();
}
