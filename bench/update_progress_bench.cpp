// A 100 MB driver download's 25,600 chunk notifications (4096 bytes each) from a worker,
// through the window's relay and dispatcher into the update page's state, against the same
// notifications into qvcli's console view. Prints the UI thread's time per notification
// and the most wake-ups waiting for it at once for both, and the ratio of their times.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <ostream>
#include <streambuf>
#include <thread>

#include "cli/console_download_view.h"
#include "platform/sim/sim_machine.h"
#include "ui/callback_relay.h"
#include "ui/plain_loop.h"
#include "ui/scan_callback_view.h"
#include "ui/update_progress.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr int CHUNKS = 25600;
constexpr int CHUNK_BYTES = 4096;

// The UI-thread port, counting the time its closures take and the wake-ups waiting.
class TMeasuredLoop : public IUiThreadPort {
 public:
  bool Post(std::function<void()> work) override {
    const int waiting = ++m_waiting;
    m_peak = std::max(m_peak.load(), waiting);
    return m_loop.Post([this, work = std::move(work)] {
      --m_waiting;
      const auto start = TClock::now();
      work();
      m_busy += TClock::now() - start;
    });
  }
  bool IsUiThread() const override { return m_loop.IsUiThread(); }
  TPlainLoop& Loop() { return m_loop; }
  double BusySeconds() const { return std::chrono::duration<double>(m_busy).count(); }
  int Peak() const { return m_peak; }

 private:
  TPlainLoop m_loop;
  std::atomic<int> m_waiting{0};
  std::atomic<int> m_peak{0};
  TClock::duration m_busy{};
};

// The update page's state moved by the download notifications.
class TPageStateView : public TScanCallbackView {
 public:
  explicit TPageStateView(IStringTable& strings) : m_progress(strings) {}
  void ShowScanningDevice(const std::string&) override {}
  void ShowCheckingForUpdates() override {}
  void ShowServerProblem() override {}
  void ShowDownloadStart(int32_t count) override { m_progress.DownloadStart(count); }
  void ShowDriverDownloadStart(const std::string& name, int32_t size) override {
    m_progress.DriverDownloadStart(name, size);
  }
  void ShowDownloadStep(int32_t kilobytes) override { m_progress.DownloadStep(kilobytes); }
  void ShowDriverDownloadEnd(int32_t result) override { m_progress.DriverDownloadEnd(result); }
  void ShowDownloadEnd(bool success) override { m_progress.DownloadEnd(success); }
  const TUpdateProgressView& View() const { return m_progress.View(); }

 private:
  TUpdateProgress m_progress;
};

class TNullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return c; }
};

struct TResult {
  double uiSeconds;
  int peak;
};

TResult Run(ICallbackView& view) {
  TMeasuredLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TCallbackRelay relay(dispatcher, view);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    TDeviceProperties device;
    device.strName = "Display";
    device.strDriverSize = std::to_string(CHUNKS * CHUNK_BYTES / 1024);
    relay.StartDownload(1);
    relay.StartDriverDownload(device);
    for (int i = 0; i < CHUNKS; ++i) relay.StepDriverDownload(CHUNK_BYTES);
    relay.FinishDriverDownload(device, 0);
    relay.FinishDownload(true);
    done = true;
  });
  loop.Loop().RunUntil([&] { return done.load(); }, std::chrono::milliseconds(1));
  worker.join();
  loop.Loop().RunPending();
  return {loop.BusySeconds(), loop.Peak()};
}

}  // namespace

int main() {
  TSimMachine machine;
  TPageStateView page(machine.strings);
  const TResult pageRun = Run(page);
  TNullBuffer nothing;
  std::ostream out(&nothing);
  TConsoleDownloadView console(out, out, machine.strings);
  const TResult consoleRun = Run(console);
  const double perPage = pageRun.uiSeconds / CHUNKS * 1e9;
  const double perConsole = consoleRun.uiSeconds / CHUNKS * 1e9;
  std::printf("update page state: %.0f ns of UI time per notification, at most %d wake-ups waiting, shows %s\n",
              perPage, pageRun.peak, page.View().percentText.c_str());
  std::printf("console view:      %.0f ns of UI time per notification, at most %d wake-ups waiting\n", perConsole,
              consoleRun.peak);
  std::printf("ratio page / console: %.2f\n", perPage / perConsole);
  return page.View().percentText == "100%" ? 0 : 1;
}
