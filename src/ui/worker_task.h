// TWorkerTask: one run of the engine on a thread of its own. The body runs on
// the worker; the completion step is handed to the UI thread through the
// dispatcher and the worker waits for it, whatever the body did (an exception
// does not leave the worker: the completion step finds it in Failure()). The
// task's thread is joined when the task is destroyed, which happens on the UI
// thread after the completion step.
#pragma once

#include <functional>
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

  // What the body raised: its text (empty for an exception without one), or
  // nothing when it ended normally. Read in the completion step or after Join.
  const std::optional<std::string>& Failure() const { return m_failure; }

 private:
  std::optional<std::string> m_failure;
  std::thread m_thread;
};
