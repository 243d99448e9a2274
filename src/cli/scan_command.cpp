// qvcli scan: the scan run on a worker thread, its callbacks shown by the console's
// UI loop on this thread; Ctrl+C asks the run to stop.
#include <chrono>
#include <ostream>
#include <thread>

#include "cli/commands.h"
#include "cli/console_message_sink.h"
#include "cli/console_scan_view.h"
#include "cli/device_report.h"
#include "cli/scan_commands.h"
#include "core/errors.h"
#include "engine/data_manager.h"
#include "ui/callback_relay.h"
#include "ui/plain_loop.h"

namespace {

constexpr auto INTERRUPT_POLL = std::chrono::milliseconds(50);

// The relay, also noting how the run ended.
class TConsoleScanHandler : public TCallbackRelay {
 public:
  using TCallbackRelay::TCallbackRelay;
  void FinishScanning(int32_t AResult) override {
    m_result = AResult;
    TCallbackRelay::FinishScanning(AResult);
  }
  int32_t Result() const { return m_result; }

 private:
  std::atomic<int32_t> m_result{-1};
};

}  // namespace

int RunScanCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (!arguments.empty()) throw EQvError("scan takes no arguments");
  if (!context.ports.deviceInstall.Available()) throw EQvError("the device installation services are not available");
  TDriverDatamodel model(context.ports);
  TDataManager engine(model, context.ports);

  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TConsoleScanView view(context.out, context.err);
  TConsoleScanHandler handler(dispatcher, view);
  TConsoleMessageSink sink(dispatcher, context.err);
  engine.SetMessageSink(&sink);

  std::atomic<bool> finished{false};
  std::string failure;
  std::thread worker([&] {
    try {
      engine.StartScan(&handler);
    } catch (const std::exception& error) {
      failure = error.what();
    }
    finished = true;
    loop.Post([] {});  // wakes the loop at once
  });
  bool stopAsked = false;
  loop.RunUntil(
      [&] {
        if (!stopAsked && context.interrupted && *context.interrupted) {
          engine.StopScan();
          stopAsked = true;
        }
        return finished.load();
      },
      INTERRUPT_POLL);
  worker.join();
  loop.RunPending();
  dispatcher.Shutdown();
  engine.SetMessageSink(nullptr);

  if (!failure.empty()) {
    context.err << "The scan failed: " << failure << "\n";
    return QVCLI_SERVER_PROBLEM;
  }
  switch (handler.Result()) {
    case 0:
      PrintDeviceReport(model, rfAll, context.out);
      if (model.GetOutofDateDrivers() == 0) context.out << "No driver updates were found for your devices.\n";
      return QVCLI_OK;
    case 2:
      context.out << "Scan stopped; the previous result is kept.\n";
      return QVCLI_STOPPED;
    default:
      PrintDeviceReport(model, rfAll, context.out);
      return QVCLI_SERVER_PROBLEM;
  }
}
