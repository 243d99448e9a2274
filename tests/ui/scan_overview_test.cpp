// The overview around a scan: the looks the scan's callbacks lead to, the outcome
// of the completion step, the worker task that runs the scan and the wait for the
// runs' ends when the window closes.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "platform/sim/builtin_strings.h"
#include "ui/plain_loop.h"
#include "ui/run_end_wait.h"
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

  overview.Complete(false, false, 0, false);
  EXPECT_EQ(overview.State(), idle);
}

TEST(ScanOverview, MinimisedScanLeavesTheOverviewIdleThroughout) {
  TScanOverview overview{strings};
  const TOverviewState idle = overview.State();
  overview.EnterScanning(true);
  overview.ShowDevice("Disk drive");
  overview.ShowChecking();
  EXPECT_EQ(overview.State(), idle);
  overview.Complete(true, false, 3, false);
  EXPECT_EQ(overview.State(), idle);
}

TEST(ScanOverview, CompletionOutcome) {
  const struct {
    bool stopped;
    int outdated;
    bool failed;
    TScanOutcome outcome;
  } cases[] = {
      {false, 2, false, TScanOutcome::showResults},
      {false, 0, false, TScanOutcome::noUpdates},
      {true, 2, false, TScanOutcome::nothing},  // stopped by the user, or the server exchange failed
      {true, 0, false, TScanOutcome::nothing},  // no "nothing found" after a stop
      // The run raised (an undecodable answer, a result that cannot be stored): its
      // error is shown, never "nothing found".
      {false, 0, true, TScanOutcome::failed},
      {false, 2, true, TScanOutcome::failed},
      {true, 0, true, TScanOutcome::failed},
  };
  for (const auto& c : cases) {
    for (bool minimised : {false, true}) {
      TScanOverview overview{strings};
      overview.EnterScanning(minimised);
      EXPECT_EQ(overview.Complete(minimised, c.stopped, c.outdated, c.failed), c.outcome)
          << "stopped " << c.stopped << " outdated " << c.outdated << " failed " << c.failed << " minimised "
          << minimised;
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
    EXPECT_EQ(overview.Complete(minimised, false, 2, false), TScanOutcome::nothing) << "minimised " << minimised;
    overview.EnterScanning(minimised);
    EXPECT_FALSE(overview.StopAsked());
    EXPECT_EQ(overview.Complete(minimised, false, 2, false), TScanOutcome::showResults) << "minimised " << minimised;
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

// The completion step runs on the UI thread after the body, and sees the error the
// body raised: a run's failure is shown, not taken for an empty result.
TEST_F(WorkerTaskTest, CompletionRunsOnTheUiThreadAfterTheBodyAndSeesItsError) {
  const struct {
    int throws;  // 0 nothing, 1 a standard exception, 2 anything else
    std::optional<std::string> failure;
  } cases[] = {{0, std::nullopt}, {1, "Unable to write to C:\\data\\config.bin"}, {2, ""}};
  for (const auto& c : cases) {
    std::atomic<bool> bodyDone{false};
    std::thread::id bodyThread;
    bool completed = false;
    bool completedOnUi = false;
    std::optional<std::string> seen{"not seen"};
    {
      std::unique_ptr<TWorkerTask> task;
      task = std::make_unique<TWorkerTask>(
          dispatcher,
          [&] {
            bodyThread = std::this_thread::get_id();
            bodyDone = true;
            if (c.throws == 1) throw std::runtime_error(*c.failure);
            if (c.throws == 2) throw 42;
          },
          [&] {
            completed = bodyDone.load();
            completedOnUi = loop.IsUiThread();
            seen = task->Failure();
          });
      loop.RunUntil([&] { return completed; }, 10ms);
    }
    EXPECT_TRUE(completed) << c.throws;
    EXPECT_TRUE(completedOnUi) << c.throws;
    EXPECT_EQ(seen, c.failure) << c.throws;
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

// Closing waits for the runs in their order, one slice at a time, and runs the UI
// thread's pending work between the slices: a run that takes long never freezes it.
TEST(RunEndWait, EachRunInOrderWithThePumpBetweenSlices) {
  std::string log;
  std::vector<std::chrono::milliseconds> slices;
  // A run that ends at its n-th wait.
  const auto run = [&](char name, int n) {
    return [&, name, n, waits = 0](std::chrono::milliseconds limit) mutable {
      log += name;
      slices.push_back(limit);
      return ++waits >= n;
    };
  };
  AwaitRunEnds({run('u', 1), run('s', 3), TaskEndWait(nullptr), run('d', 2)}, [&] { log += '.'; }, 1s);
  EXPECT_EQ(log, "us.s.sd.d");
  EXPECT_EQ(slices, std::vector<std::chrono::milliseconds>(6, 1s));
}

// A worker blocked until the UI thread has done something (a run waiting for the
// server until the window cancels it again) ends while the closing wait pumps.
TEST_F(WorkerTaskTest, ClosingWaitPumpsUntilTheBlockedWorkerEnds) {
  std::atomic<bool> released{false};
  bool completed = false;
  TWorkerTask task(dispatcher, [&] { while (!released) std::this_thread::sleep_for(1ms); },
                   [&] { completed = true; });
  EXPECT_FALSE(task.WaitEnded(5ms));
  dispatcher.Shutdown();  // the window's close: no completion runs
  int pumps = 0;
  AwaitRunEnds({TaskEndWait(&task)}, [&] { if (++pumps == 3) released = true; }, 5ms);
  EXPECT_GE(pumps, 3);
  EXPECT_TRUE(task.WaitEnded(0ms));
  task.Join();
  loop.RunPending();
  EXPECT_FALSE(completed);
}

}  // namespace
