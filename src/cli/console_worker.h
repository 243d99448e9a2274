// A console command's engine run on a worker thread, its callbacks shown by the console's
// UI loop on this thread; Ctrl+C asks the run to stop once. Scan, download, install and
// backup commands share this shape.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <thread>

#include "cli/cli_context.h"
#include "ui/plain_loop.h"

struct TConsoleRunResult {
  std::string failure;  // the text of an error the run raised; empty when none
  bool stopAsked = false;
};

inline TConsoleRunResult RunOnWorker(TPlainLoop& loop, const TCliContext& context, const std::function<void()>& run,
                                     const std::function<void()>& stop) {
  constexpr auto INTERRUPT_POLL = std::chrono::milliseconds(50);
  TConsoleRunResult result;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    try {
      run();
    } catch (const std::exception& error) {
      result.failure = error.what();
    }
    finished = true;
    loop.Post([] {});  // wakes the loop at once
  });
  loop.RunUntil(
      [&] {
        if (!result.stopAsked && context.interrupted && *context.interrupted) {
          stop();
          result.stopAsked = true;
        }
        return finished.load();
      },
      INTERRUPT_POLL);
  worker.join();
  loop.RunPending();
  return result;
}
