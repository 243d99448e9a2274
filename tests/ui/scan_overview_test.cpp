// The overview around a scan: the looks the scan's callbacks lead to, the outcome
// of the completion step, and the worker task that runs the scan.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/sim/builtin_strings.h"
#include "ui/plain_loop.h"
#include "ui/scan_overview.h"
#include "ui/worker_task.h"

namespace {

using namespace std::chrono_literals;

TBuiltinStringTable strings;

TEST(ScanOverview, VisibleScanFollowsItsCallbacksAndReturnsToIdle) {
  TScanOverview overview{strings};
  const TOverviewState idle = overview.State();
  EXPECT_EQ(idle.caption, "Start Scan");
  EXPECT_FALSE(idle.indicatorRunning);
  EXPECT_FALSE(idle.scanningLabelVisible);

  overview.EnterScanning(false);
  EXPECT_EQ(overview.State().caption, "Stop Scanning");
  EXPECT_EQ(overview.State().statusTitle, "Scanning your PC for driver status");
  EXPECT_EQ(overview.State().statusText, "This may take a few moments. Please wait...");
  EXPECT_TRUE(overview.State().scanningLabelVisible);
  EXPECT_TRUE(overview.State().indicatorRunning);

  overview.ShowDevice("Disk drive");
  overview.ShowDevice("USB Root Hub");
  EXPECT_EQ(overview.State().scanningLabel, "USB Root Hub");
  overview.ShowChecking();
  EXPECT_EQ(overview.State().scanningLabel, "");
  EXPECT_EQ(overview.State().statusTitle, "Checking for Updates...");
  EXPECT_EQ(overview.State().caption, "Stop Scanning");

  overview.Complete(false, false, 0);
  EXPECT_EQ(overview.State(), idle);
}

TEST(ScanOverview, MinimisedScanLeavesTheOverviewIdleThroughout) {
  TScanOverview overview{strings};
  const TOverviewState idle = overview.State();
  overview.EnterScanning(true);
  overview.ShowDevice("Disk drive");
  overview.ShowChecking();
  EXPECT_EQ(overview.State(), idle);
  overview.Complete(true, false, 3);
  EXPECT_EQ(overview.State(), idle);
}

TEST(ScanOverview, CompletionOutcome) {
  const struct {
    bool stopped;
    int outdated;
    TScanOutcome outcome;
  } cases[] = {
      {false, 2, TScanOutcome::showResults},
      {false, 0, TScanOutcome::noUpdates},
      {true, 2, TScanOutcome::nothing},  // stopped by the user, or the server exchange failed
      {true, 0, TScanOutcome::nothing},  // no "nothing found" after a stop
  };
  for (const auto& c : cases) {
    for (bool minimised : {false, true}) {
      TScanOverview overview{strings};
      overview.EnterScanning(minimised);
      EXPECT_EQ(overview.Complete(minimised, c.stopped, c.outdated), c.outcome)
          << "stopped " << c.stopped << " outdated " << c.outdated << " minimised " << minimised;
    }
  }
}

// A stop the user asked for ends the scan as stopped even when the engine's
// flag was cleared by the run after the click; the next scan starts afresh.
TEST(ScanOverview, AskedStopOutlivesTheEnginesFlag) {
  for (bool minimised : {false, true}) {
    TScanOverview overview{strings};
    overview.EnterScanning(minimised);
    overview.AskStop();
    EXPECT_TRUE(overview.StopAsked());
    EXPECT_EQ(overview.Complete(minimised, false, 2), TScanOutcome::nothing) << "minimised " << minimised;
    overview.EnterScanning(minimised);
    EXPECT_FALSE(overview.StopAsked());
    EXPECT_EQ(overview.Complete(minimised, false, 2), TScanOutcome::showResults) << "minimised " << minimised;
  }
}

TEST(ScanOverview, LastScanLine) {
  EXPECT_EQ(LastScanText("", strings), "Never");
  EXPECT_EQ(LastScanText("12/10/2026 1:21:14 PM", strings), "12/10/2026 1:21:14 PM");
  EXPECT_EQ(LastScanLeft(600, 70, 130), 200);
  EXPECT_EQ(LastScanLeft(601, 70, 130), 200);
  EXPECT_EQ(LastScanLeft(100, 70, 131), -50);  // halved toward zero
}

class WorkerTaskTest : public ::testing::Test {
 protected:
  TPlainLoop loop;
  TCallbackDispatcher dispatcher{loop};
};

TEST_F(WorkerTaskTest, CompletionRunsOnTheUiThreadAfterTheBodyEvenWhenItThrows) {
  for (bool throws : {false, true}) {
    std::atomic<bool> bodyDone{false};
    std::thread::id bodyThread;
    bool completed = false;
    bool completedOnUi = false;
    {
      TWorkerTask task(
          dispatcher,
          [&] {
            bodyThread = std::this_thread::get_id();
            bodyDone = true;
            if (throws) throw std::runtime_error("engine failure");
          },
          [&] {
            completed = bodyDone.load();
            completedOnUi = loop.IsUiThread();
          });
      loop.RunUntil([&] { return completed; }, 10ms);
    }
    EXPECT_TRUE(completed) << throws;
    EXPECT_TRUE(completedOnUi) << throws;
    EXPECT_NE(bodyThread, std::this_thread::get_id());
  }
}

TEST_F(WorkerTaskTest, WorkerWaitsForTheCompletionAndShutdownReleasesIt) {
  // The worker's completion is pending; without the UI thread running it, only
  // a shutdown of the dispatcher lets the task be joined (window destruction).
  std::atomic<bool> bodyDone{false};
  bool completed = false;
  TWorkerTask task(dispatcher, [&] { bodyDone = true; }, [&] { completed = true; });
  while (!bodyDone) std::this_thread::sleep_for(1ms);
  dispatcher.Shutdown();
  task.Join();
  loop.RunPending();
  EXPECT_FALSE(completed);
}

}  // namespace
