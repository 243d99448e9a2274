// TWorkerTask: one run of the engine on a thread of its own. The body runs on
// the worker; the completion step is handed to the UI thread through the
// dispatcher and the worker waits for it, whatever the body did (an exception
// does not leave the worker: the completion step finds it in Failure()). The
// task's thread is joined when the task is destroyed, which happens on the UI
// thread after the completion step.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "ui/callback_dispatcher.h"

class TWorkerTask {
 public:
  TWorkerTask(TCallbackDispatcher& dispatcher, std::function<void()> body, std::function<void()> completion);
  ~TWorkerTask();
  TWorkerTask(const TWorkerTask&) = delete;
  TWorkerTask& operator=(const TWorkerTask&) = delete;

  // Waits for the worker thread to end. On the UI thread only after the
  // completion step ran or the dispatcher was shut down: the worker may be
  // waiting for the UI thread until then.
  void Join();
  // Waits at most `limit` for the worker to have finished its body and its
  // completion hand-over (run or dropped); true once it has. Join is quick after that.
  bool WaitEnded(std::chrono::milliseconds limit);

  // What the body raised: its text (empty for an exception without one), or
  // nothing when it ended normally. Read in the completion step or after Join.
  const std::optional<std::string>& Failure() const { return m_failure; }

 private:
  std::optional<std::string> m_failure;
  std::mutex m_endLock;
  std::condition_variable m_endSignal;
  bool m_ended = false;
  std::thread m_thread;  // last: it starts once the members above exist
};
